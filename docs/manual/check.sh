#!/usr/bin/env bash
# Checks a built manual: check.sh MANUAL.chm SOURCE_DIR SCRATCH_DIR
# It must be a compiled help file that extract_chmLib opens, holding every page of the source,
# every picture and every page that a page, the contents or the index names, and the pictures
# must be real PNG files.
set -euo pipefail
chm=$1 src=$2 scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch"
[ -s "$chm" ] || { echo "FAIL: no manual at $chm"; exit 1; }
extract_chmLib "$chm" "$scratch" >/dev/null || { echo "FAIL: extract_chmLib cannot read $chm"; exit 1; }
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

for page in "$src"/*.html; do
    name=$(basename "$page")
    [ -s "$scratch/$name" ] || fail "page $name is missing"
done
for listed in toc.hhc index.hhk; do
    [ -s "$scratch/$listed" ] || { fail "$listed is missing"; continue; }
done
# Everything the pages, the contents and the index point at (pages in GBK; the names are ASCII).
refs=$(cd "$scratch" && cat ./*.html ./*.hhc ./*.hhk | LC_ALL=C grep -oE '(src|href|value)="[^"#:]+\.(html|png|css)"' |
       LC_ALL=C sed -E 's/^[a-z]+="(.*)"$/\1/' | sort -u)
pictures=0
for ref in $refs; do
    [ -s "$scratch/$ref" ] || { fail "$ref is named but not in the manual"; continue; }
    case $ref in
        *.png)
            pictures=$((pictures + 1))
            head -c 8 "$scratch/$ref" | od -An -tx1 | tr -d ' \n' | grep -qx '89504e470d0a1a0a' ||
                fail "$ref is not a PNG picture"
            ;;
    esac
done
[ "$pictures" -ge 10 ] || fail "only $pictures pictures are shown"
# Every picture taken is shown somewhere.
for picture in "$scratch"/pictures/*.png; do
    grep -q "pictures/$(basename "$picture")" <<<"$refs" || fail "$(basename "$picture") is shown nowhere"
done
# The pages are GBK text, as the viewers expect of a Chinese help file.
LC_ALL=C grep -q 'charset=gb2312' "$scratch/index.html" || fail "index.html does not declare GB2312"
iconv -f GBK -t UTF-8 "$scratch/index.html" | grep -q '使用手册' || fail "index.html is not GBK text"
[ "$fails" -eq 0 ] || exit 1
echo "manual: $(ls "$src"/*.html | wc -l) pages, $pictures pictures: ok"
