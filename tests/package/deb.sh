#!/usr/bin/env bash
# The Debian package: built by CPack from this build tree, unpacked into a scratch root, its file
# list and metadata checked, its desktop entry and AppStream metainfo validated, and the installed
# player started the way the desktop's launcher starts it, on a rip: its window shows and it plays.
# Usage: deb.sh BUILD_DIR SCRATCH (under a virtual X server).
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$2
rm -rf "$scratch" && mkdir -p "$scratch"/{pkg,root,disc,config,data,runtime}
scratch=$(cd "$scratch" && pwd)
chmod 700 "$scratch/runtime"
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$scratch/pkg" >"$scratch/cpack.log" 2>&1) ||
    { cat "$scratch/cpack.log" >&2; fail "cpack could not build the package"; }
debs=("$scratch"/pkg/corvina_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no single corvina_*.deb: ${debs[*]}"
deb=${debs[0]}
echo "package: $(basename "$deb")"

# Files: the player, its entry, metainfo, icons, and the manual only when the build made one.
expected=(
    ./usr/bin/corvina
    ./usr/libexec/corvina/corvina-lookup
    ./usr/share/applications/corvina.desktop
    ./usr/share/icons/hicolor/16x16/apps/corvina.png
    ./usr/share/icons/hicolor/32x32/apps/corvina.png
    ./usr/share/icons/hicolor/32x32/mimetypes/corvina-audiocd.png
    ./usr/share/icons/hicolor/32x32/mimetypes/corvina-cdafile.png
    ./usr/share/metainfo/com.velmaro.Corvina.metainfo.xml
)
[ -f "$build/Manual.chm" ] && expected+=(./usr/share/doc/corvina/Manual.chm)
[ -s "$build/fonts/song-12px.otb" ] && expected+=(./usr/share/corvina/fonts/song-12px.otb)
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort >"$scratch/files"
printf '%s\n' "${expected[@]}" | sort >"$scratch/expected"
diff -u "$scratch/expected" "$scratch/files" || fail "the package holds other files than expected"
dpkg-deb --fsys-tarfile "$deb" | tar -tv | grep -v ' root/root ' &&
    fail "files not owned by root"

# Metadata: library dependencies computed, fonts named.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for dep in libqt6widgets6 libqt6dbus6 libcdio libasound2 libsndfile1 libc6 xfonts-wqy; do
    [[ $depends == *"$dep"* ]] || fail "Depends lacks $dep"
done
[ "$(dpkg-deb -f "$deb" Package)" = corvina ] || fail "the package is not named corvina"
[ "$(dpkg-deb -f "$deb" Version)" = 4.3 ] || fail "version $(dpkg-deb -f "$deb" Version)"

# apt would install it here: every dependency resolves (a simulation, nothing is installed).
apt-get -s -q install "$deb" >"$scratch/apt.log" 2>&1 && grep -q '^Inst corvina ' "$scratch/apt.log" ||
    { cat "$scratch/apt.log" >&2; fail "apt cannot install the package"; }

dpkg -x "$deb" "$scratch/root"
root=$scratch/root
desktop-file-validate "$root/usr/share/applications/corvina.desktop" ||
    fail "desktop-file-validate refused the desktop entry"
grep -qx 'MimeType=x-content/audio-cdda;' "$root/usr/share/applications/corvina.desktop" ||
    fail "the desktop entry does not offer the player for audio CDs"
appstreamcli validate --no-net "$root/usr/share/metainfo/com.velmaro.Corvina.metainfo.xml" ||
    fail "appstreamcli refused the metainfo"
for icon in 16x16/apps/corvina 32x32/apps/corvina 32x32/mimetypes/corvina-audiocd \
    32x32/mimetypes/corvina-cdafile; do
    size=${icon%%/*}
    [ "$(identify -format '%wx%h' "$root/usr/share/icons/hicolor/$icon.png")" = "$size" ] ||
        fail "$icon.png is not $size"
done
file "$root/usr/bin/corvina" | grep -q 'ELF.*executable' || fail "the player is not an executable"
ldd "$root/usr/bin/corvina" | grep -q 'not found' && fail "the player lacks a library"
readelf -d "$root/usr/bin/corvina" | grep -qE 'R(UN)?PATH' && fail "the player carries a build path"

# Start it as the launcher does: the entry's Exec line with the disc the desktop passes, the
# program found on PATH. It needs nothing beside itself: only its own folder is on PATH.
sox -n -r 44100 -b 16 -c 2 -e signed-integer "$scratch/disc/01.wav" synth 8 sine 440 gain -6
sox -n -r 44100 -b 16 -c 2 -e signed-integer "$scratch/disc/02.wav" synth 8 sine 660 gain -6
export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data XDG_RUNTIME_DIR=$scratch/runtime
export CORVINA_DISC=$scratch/disc CORVINA_AUDIO=wav:$scratch/played.wav
export CORVINA_MCI_LOG=$scratch/mci.log CORVINA_ERROR_LOG=$scratch/errors.log
# The rip is unnamed: no name server is asked about it, and the lookup helper is in the package.
export XDG_CACHE_HOME=$scratch/cache CORVINA_MUSICBRAINZ_URL= CORVINA_COVERART_URL= CORVINA_GNUDB_URL=
[ -x "$root/usr/libexec/corvina/corvina-lookup" ] || fail "the package has no lookup helper"
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/corvina.desktop")
command=${exec_line/\%U/"$scratch/disc"}
(cd / && PATH=$root/usr/bin:/usr/bin:/bin $command >"$scratch/player.out" 2>&1) &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
window=
for _ in $(seq 200); do
    window=$(xdotool search --onlyvisible --name '^Corvina CD' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    kill -0 $pid 2>/dev/null || { cat "$scratch/player.out" >&2; fail "the installed player ended at start"; }
    sleep 0.1
done
[ -n "$window" ] || fail "the installed player showed no window"
[ "$(xdotool getwindowgeometry "$window" | awk '/Geometry/ {print $2}')" = 460x64 ] ||
    fail "the window is not 460 x 64"
# The labels' Song face is drawn from the repacked font the package carries, when it carries one.
if [ -s "$build/fonts/song-12px.otb" ]; then
    player=$(xdotool getwindowpid "$window")
    grep -qF "$(realpath "$root")/usr/share/corvina/fonts/song-12px.otb" "/proc/$player/maps" ||
        fail "the installed player does not draw from its repacked Song face"
fi
for _ in $(seq 100); do
    [ "$(stat -c %s "$scratch/played.wav" 2>/dev/null || echo 0)" -gt 200000 ] && break
    sleep 0.1
done
grep -q '^play CorvinaCD'$'\t' "$scratch/mci.log" || fail "the installed player did not play"
[ "$(stat -c %s "$scratch/played.wav" 2>/dev/null || echo 0)" -gt 200000 ] ||
    fail "no audio came out of the installed player"
peak=$(sox "$scratch/played.wav" -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}')
awk -v p="$peak" 'BEGIN { exit !(p > 0.3) }' || fail "the audio played is silent (peak $peak)"

# Its menu opens on the title-bar-less window (a right click on the background) and closes.
eval "$(xdotool getwindowgeometry --shell "$window")"
shown() { xdotool search --onlyvisible --name '' 2>/dev/null | wc -l; }
before=$(shown)
xdotool mousemove $((X + 135)) $((Y + 40)) click 3
for _ in $(seq 50); do [ "$(shown)" -gt "$before" ] && break; sleep 0.1; done
[ "$(shown)" -gt "$before" ] || fail "the menu did not open"
xdotool key Escape
for _ in $(seq 50); do [ "$(shown)" -eq "$before" ] && break; sleep 0.1; done
[ "$(shown)" -eq "$before" ] || fail "the menu did not close"

xdotool mousemove $((X + 448)) $((Y + 8)) click 1  # the close button
for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "the installed player did not end by its close button"
trap - EXIT
[ ! -s "$scratch/errors.log" ] || { cat "$scratch/errors.log" >&2; fail "errors were reported"; }
[ ! -e "$root/usr/bin/CorvinaCD.ini" ] || fail "the player wrote beside itself"
echo "ok"
