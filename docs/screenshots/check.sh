#!/usr/bin/env bash
# Checks that the README's pictures are the ones the build takes of the real windows:
# check.sh BUILT_PICTURES_DIR KEPT_DIR
# Pixel for pixel (the PNG files' bytes may differ between encoders). After a change to the
# windows, `cmake --build build --target screenshots` copies the new pictures in.
set -euo pipefail
built=$1 kept=$2
fails=0
for name in full.png compact.png; do
    if [ ! -s "$built/$name" ]; then
        echo "FAIL: the build took no $name"
        fails=$((fails + 1))
        continue
    fi
    if [ ! -s "$kept/$name" ]; then
        echo "FAIL: docs/screenshots/$name is missing"
        fails=$((fails + 1))
        continue
    fi
    # compare prints the number of differing pixels and fails on a different size.
    if ! differ=$(compare -metric AE "$built/$name" "$kept/$name" null: 2>&1) || [ "$differ" != 0 ]; then
        echo "FAIL: docs/screenshots/$name is not what the build shows ($differ pixels differ);"
        echo "      run: cmake --build build --target screenshots"
        fails=$((fails + 1))
    fi
done
[ "$fails" -eq 0 ] || exit 1
echo "ok"
