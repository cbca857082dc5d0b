#!/usr/bin/env bash
# Soak run: plays a long FLAC rip for SECONDS (default 600) while another process keeps a second
# core busy, then checks that what reached the sound output is the rip itself, sample for sample
# and without a gap (no underrun, no skipped sound), that the resident memory stayed flat, and
# that the player said nothing on stderr.
#
#   bench/soak.sh build/corvina [SECONDS]
# Needs sox, xvfb-run, xdotool. Uses displays :330-:339 when run by hand (xvfb-run -a).
set -euo pipefail
PLAYER=$(realpath "$1")
SECONDS_TO_PLAY=${2:-600}
WORK=$(mktemp -d)
BUSY=
trap '[ -n "$BUSY" ] && kill "$BUSY" 2>/dev/null; rm -rf "$WORK"' EXIT
mkdir -p "$WORK/rip" "$WORK/config" "$WORK/runtime"
chmod 700 "$WORK/runtime"

# Two tracks, together longer than the run: a chord that tells a gap from the sound around it.
half=$(( SECONDS_TO_PLAY / 2 + 30 ))
sox -n -r 44100 -b 16 -c 2 "$WORK/rip/1.flac" synth "$half" sine 220 sine 331 gain -10
sox -n -r 44100 -b 16 -c 2 "$WORK/rip/2.flac" synth "$half" sine 277 sine 415 gain -10

# The busy core.
( while :; do :; done ) & BUSY=$!

cat > "$WORK/run.sh" <<RUN
export XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data XDG_RUNTIME_DIR=$WORK/runtime
export CORVINA_DISC=$WORK/rip CORVINA_AUDIO=wav:$WORK/played.wav CORVINA_TITLE_FILE=$WORK/t.ini
export XDG_CACHE_HOME=$WORK/cache CORVINA_MUSICBRAINZ_URL= CORVINA_COVERART_URL= CORVINA_GNUDB_URL=
"$PLAYER" 2>"$WORK/stderr.txt" & PID=\$!
echo "elapsed_s rss_kib" > "$WORK/rss.txt"
for i in \$(seq 0 10 $SECONDS_TO_PLAY); do
    sleep 10
    echo "\$i \$(awk '/^Rss:/{print \$2}' /proc/\$PID/smaps_rollup)" >> "$WORK/rss.txt"
done
kill -TERM \$PID; wait \$PID
RUN
xvfb-run -a -n 330 -s "-noreset -screen 0 1024x768x24" bash "$WORK/run.sh"

cat "$WORK/rss.txt" | awk 'NR==2||NR%6==0'
first=$(awk 'NR==4{print $2}' "$WORK/rss.txt")   # after 30 s, once everything is loaded
last=$(tail -1 "$WORK/rss.txt" | cut -d' ' -f2)
echo "resident after 30 s: $((first / 1024)) MiB, at the end: $((last / 1024)) MiB"
status=0
[ $(( last - first )) -le 1024 ] || { echo "FAIL: memory grew by $(( (last - first) )) KiB"; status=1; }
[ ! -s "$WORK/stderr.txt" ] || { echo "FAIL: the player said:"; cat "$WORK/stderr.txt"; status=1; }

# What was played, against the rip played straight through from its start.
sox "$WORK/played.wav" -t raw "$WORK/played.raw"
sox "$WORK/rip/1.flac" "$WORK/rip/2.flac" -t raw "$WORK/rip.raw"
played=$(stat -c %s "$WORK/played.raw")
echo "played $((played / 176400)) s of audio"
[ "$played" -ge $(( (SECONDS_TO_PLAY - 5) * 176400 )) ] || { echo "FAIL: sound went missing"; status=1; }
cmp -n "$played" "$WORK/played.raw" "$WORK/rip.raw" >/dev/null || { echo "FAIL: what played differs from the rip"; status=1; }
[ $status -eq 0 ] && echo "ok"
exit $status
