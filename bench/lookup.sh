#!/usr/bin/env bash
# What one online lookup costs, against the fake name server on the loopback address (no real
# server is asked): the time from the player's start to the looked-up names on the session bus,
# the lookup helper's peak memory, and the player's memory (Pss) ten seconds in, with the lookup
# and with lookups off, on the same cue rip that names nothing.
#
#   bench/lookup.sh build-rel/corvina [RUNS]        (default 5 runs of each)
#
# Needs Xvfb, dbus-daemon, playerctl, python3 and sox (scripts/bootstrap installs them).
set -euo pipefail
PLAYER=$(realpath "$1")
RUNS=${2:-5}
HERE=$(cd "$(dirname "$0")" && pwd)
HELPER=$(dirname "$PLAYER")/corvina-lookup
WORK=$(mktemp -d /tmp/corvina-lookup-bench.XXXXXX)
PIDS=()
trap 'for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$WORK"' EXIT

exec 3<> "$WORK/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
PIDS+=($!)
for _ in $(seq 50); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$WORK/display")
eval "$(dbus-daemon --session --fork --print-address=1 --print-pid=1 |
    { read -r a; read -r p; echo "export DBUS_SESSION_BUS_ADDRESS='$a'; BUS=$p"; })"
PIDS+=("$BUS")

mkdir -p "$WORK/disc" "$WORK/server"
for n in 1 2 3; do
    sox -n -r 44100 -b 16 -c 2 -e signed-integer "$WORK/disc/0$n.wav" synth 60 sine $((300 * n))
done
{
    for n in 1 2 3; do printf 'FILE "0%d.wav" WAVE\n  TRACK 0%d AUDIO\n    INDEX 01 00:00:00\n' $n $n; done
} > "$WORK/disc/disc.cue"
cat > "$WORK/server/release.json" <<'JSON'
{"id": "{discid}", "releases": [{"id": "5a7e0000-0000-4000-8000-00000000c0de", "title": "Bench",
  "artist-credit": [{"name": "Bench Band"}], "cover-art-archive": {"front": true},
  "media": [{"format": "CD", "track-count": 3, "discs": [{"id": "{discid}"}], "tracks": [
    {"position": 1, "title": "One"}, {"position": 2, "title": "Two"}, {"position": 3, "title": "Three"}]}]}]}
JSON
convert -size 250x250 xc:'#8040c0' "$WORK/server/cover.jpg"
cat > "$WORK/server/scenario.json" <<'JSON'
{"routes": [{"match": "/ws/2/discid/", "replies": [{"body_file": "release.json"}]},
            {"match": "/front-250", "replies": [{"body_file": "cover.jpg"}]}]}
JSON
python3 "$HERE/../tests/lookup/fake_server.py" "$WORK/server/scenario.json" "$WORK/server/log" \
    > "$WORK/server/port" &
PIDS+=($!)
for _ in $(seq 50); do [ -s "$WORK/server/port" ] && break; sleep 0.1; done
BASE=http://127.0.0.1:$(cat "$WORK/server/port")

now_ms() { date +%s%3N; }
pss_kb() { awk '$1 == "Pss:" {print $2}' "/proc/$1/smaps_rollup"; }

# run LOOKUP(1|0): prints "ms_to_names pss_kb_at_10s"
run() {
    local home=$WORK/home
    rm -rf "$home"
    mkdir -p "$home/config/Corvina" "$home/runtime"
    chmod 700 "$home/runtime"
    {
        printf 'Windows Registry Editor Version 5.00\n\n'
        printf '[HKEY_CURRENT_USER\\Software\\Velmaro\\Corvina\\4.3]\n'
        for value in ShowSplash=0 MinimizeAtStartup=0 CloseAtStartup=1 CloseOnExit=1 EjectOnExit=1 \
            StopOnExit=1 AlwaysOnTop=1 Translucent=0 TranslucentMenu=1 OnlineLookup="$1"; do
            printf '"%s"=dword:0000000%s\n' "${value%=*}" "${value#*=}"
        done
    } > "$home/config/Corvina/HKCU.reg"
    local start names=- pid
    start=$(now_ms)
    env XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache" \
        XDG_RUNTIME_DIR="$home/runtime" CORVINA_TITLE_FILE="$home/CorvinaCD.ini" \
        CORVINA_DISC="$WORK/disc/disc.cue" CORVINA_AUDIO=null \
        CORVINA_MUSICBRAINZ_URL="$BASE" CORVINA_COVERART_URL="$BASE" CORVINA_GNUDB_URL="$BASE" \
        "$PLAYER" >/dev/null 2>&1 &
    pid=$!
    if [ "$1" = 1 ]; then
        for _ in $(seq 400); do
            if [ "$(playerctl -p corvina metadata artist 2>/dev/null)" = "Bench Band" ]; then
                names=$(($(now_ms) - start))
                break
            fi
            sleep 0.02
        done
    fi
    sleep $((10 - ($(now_ms) - start) / 1000))
    echo "$names $(pss_kb $pid)"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

echo "# run  lookup  ms_to_names  player_pss_kib_at_10s"
for i in $(seq "$RUNS"); do
    for lookup in 1 0; do echo "$i $lookup $(run $lookup)"; done
done

# The helper alone, its peak resident memory in KiB (a fresh cache each time).
echo "# helper max_rss_kib wall_s"
for i in $(seq "$RUNS"); do
    rm -rf "$WORK/helper-cache"
    CORVINA_MUSICBRAINZ_URL=$BASE CORVINA_COVERART_URL=$BASE CORVINA_GNUDB_URL=$BASE \
        /usr/bin/time -f "%M %e" "$HELPER" --cache "$WORK/helper-cache" \
        --disc 49HHV7Eb8UKF3aQiNmu1GR8vKTY- --toc "1 3 1500 150 600 1050" --freedb 0a001403 \
        --cddb "3 150 600 1050 20" --tracks 3 --email bench@example.org --timeout 10000 \
        2>&1 >/dev/null | tail -1
done
