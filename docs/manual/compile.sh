#!/usr/bin/env bash
# Compiles the manual: compile.sh SOURCE_DIR PICTURES_DIR WORK_DIR OUTPUT.chm
# The pages are written in UTF-8; help viewers read a Chinese (PRC) help file's contents and
# index as GBK, so everything is converted on the way in (a character GBK lacks fails the build).
set -euo pipefail
src=$1 pictures=$2 work=$3 out=$4
rm -rf "$work"
mkdir -p "$work/pictures"
for file in "$src"/*.html "$src"/*.hhc "$src"/*.hhk "$src"/*.hhp "$src"/*.css; do
    sed 's/charset=utf-8/charset=gb2312/' "$file" | iconv -f UTF-8 -t GBK >"$work/$(basename "$file")"
done
cp "$pictures"/*.png "$work/pictures/"
{
    printf '\n[FILES]\n'
    (cd "$work" && ls *.html *.css pictures/*.png)
} >>"$work/Manual.hhp"
(cd "$work" && chmcmd --no-html-scan Manual.hhp >chmcmd.log 2>&1) || { cat "$work/chmcmd.log" >&2; exit 1; }
mv "$work/Manual.chm" "$out"
