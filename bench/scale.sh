#!/usr/bin/env bash
# Scale: the player's CPU and memory while playing, on the same machine in one run, with
#   nine    the nine-track WAV folder (15 to 39 s tracks) and an empty title file,
#   titles  the same folder with a title file of 100,000 discs (12 named tracks each),
#   tracks  a folder of 99 WAV tracks.
# Each plays WARM seconds, then CPU (% of one core) and resident memory are taken over WIN
# seconds. The figures should match across the three; `bench_startup` has the first window.
#
#   bench/scale.sh build/corvina        (WARM=5 WIN=30 by default)
# Needs sox and xvfb-run.
set -euo pipefail
PLAYER=$(realpath "$1")
WARM=${WARM:-5}
WIN=${WIN:-30}
WORK=${WORK:-$(mktemp -d)}
mkdir -p "$WORK/nine" "$WORK/tracks" "$WORK/runtime"
chmod 700 "$WORK/runtime"

for i in $(seq 9); do
    [ -f "$WORK/nine/0$i.wav" ] ||
        sox -n -r 44100 -c 2 -b 16 "$WORK/nine/0$i.wav" synth $((12 + 3 * i)) sine $((200 * i))
done
for i in $(seq -w 1 99); do
    [ -f "$WORK/tracks/$i.wav" ] ||
        sox -n -r 44100 -c 2 -b 16 "$WORK/tracks/$i.wav" synth 20 sine $((100 + 7 * 10#$i))
done
# 100,000 discs in the title file's own form (GBK, CRLF), the artist in Chinese.
[ -f "$WORK/titles.ini" ] || awk 'BEGIN {
    for (d = 0; d < 100000; d++) {
        printf "[%08X]\r\nArtist=\xd6\xdc\xbd\xdc\xc2\xd7 %d\r\nTitle=Album %d\r\n", 268435456 + d * 7919, d, d
        for (t = 0; t < 12; t++) printf "%d=Track %d\r\n", t, t + 1
    }
}' > "$WORK/titles.ini"

cat > "$WORK/run.sh" <<'RUN'
set -euo pipefail
tck=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }
for case in nine titles tracks; do
    home=$WORK/home-$case
    rm -rf "$home"; mkdir -p "$home"
    disc=$WORK/nine; [ "$case" = tracks ] && disc=$WORK/tracks
    titles=$home/CorvinaCD.ini; [ "$case" = titles ] && cp "$WORK/titles.ini" "$titles"
    env XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$WORK/runtime \
        CORVINA_DISC=$disc CORVINA_AUDIO=null CORVINA_TITLE_FILE=$titles \
        XDG_CACHE_HOME=$home/cache CORVINA_MUSICBRAINZ_URL= CORVINA_COVERART_URL= CORVINA_GNUDB_URL= \
        "$PLAYER" >/dev/null 2>&1 &
    pid=$!
    sleep "$WARM"
    before=$(cpu $pid)
    sleep "$WIN"
    after=$(cpu $pid)
    rss=$(awk '/^VmRSS:/{print $2}' /proc/$pid/status)
    hwm=$(awk '/^VmHWM:/{print $2}' /proc/$pid/status)
    kill -TERM $pid; wait $pid || true
    awk -v c="$case" -v d=$((after - before)) -v t="$tck" -v w="$WIN" -v r="$rss" -v h="$hwm" \
        'BEGIN { printf "%-8s CPU %5.2f %%   resident %5.1f MiB   peak %5.1f MiB\n", c, 100 * d / t / w, r / 1024, h / 1024 }'
done
RUN
export WORK PLAYER WARM WIN
xvfb-run -a -s "-noreset -screen 0 1024x768x24" bash "$WORK/run.sh"
