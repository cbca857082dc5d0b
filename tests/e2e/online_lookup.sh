#!/usr/bin/env bash
# Online lookups through the whole player: a cue rip that names nothing, a fake MusicBrainz and
# Cover Art Archive on the loopback address, and the desktop's media controls (playerctl on a
# private session bus) show the names found and the cached cover within seconds. A second start
# names the disc from the cache without a request; with OnlineLookup 0 nothing is sent at all.
set -euo pipefail
source "$(dirname "$0")/lib/player.bash"
e2e_setup "$1" "$2"
make_disc
write_settings

cat > "$SCRATCH/disc/disc.cue" <<'CUE'
FILE "01.wav" WAVE
  TRACK 01 AUDIO
    INDEX 01 00:00:00
FILE "02.wav" WAVE
  TRACK 02 AUDIO
    INDEX 01 00:00:00
FILE "03.wav" WAVE
  TRACK 03 AUDIO
    INDEX 01 00:00:00
CUE
export CORVINA_DISC=$SCRATCH/disc/disc.cue

# The fake servers: the disc's release (its disc ID is the one asked for), and its cover.
server=$SCRATCH/server
mkdir -p "$server"
cat > "$server/release.json" <<'JSON'
{"id": "{discid}", "releases": [{"id": "5a7e0000-0000-4000-8000-00000000c0de",
  "title": "晨昏小品", "date": "2003-04-01", "artist-credit": [{"name": "鸦林小乐队"}],
  "cover-art-archive": {"front": true},
  "media": [{"format": "CD", "track-count": 3, "discs": [{"id": "{discid}"}], "tracks": [
    {"position": 1, "title": "第一首"}, {"position": 2, "title": "Second"},
    {"position": 3, "title": "第三首"}]}]}]}
JSON
convert -size 250x250 xc:'#8040c0' "$server/cover.jpg"
cat > "$server/scenario.json" <<'JSON'
{"routes": [
  {"match": "/ws/2/discid/", "replies": [{"body_file": "release.json"}]},
  {"match": "/front-250", "replies": [{"redirect": "/images/front.jpg"}]},
  {"match": "/images/front.jpg", "replies": [{"body_file": "cover.jpg"}]}]}
JSON
python3 "$(dirname "$0")/../lookup/fake_server.py" "$server/scenario.json" "$server/requests.log" \
    > "$server/port" &
SERVER_PID=$!
for _ in $(seq 50); do [ -s "$server/port" ] && break; sleep 0.1; done
[ -s "$server/port" ] || fail "the fake server did not start"
base=http://127.0.0.1:$(cat "$server/port")
export CORVINA_MUSICBRAINZ_URL=$base CORVINA_COVERART_URL=$base CORVINA_GNUDB_URL=$base
requests() { [ -f "$server/requests.log" ] && wc -l < "$server/requests.log" || echo 0; }

start_session_bus
trap 'e2e_cleanup; kill "$BUS_PID" "$SERVER_PID" 2>/dev/null || true' EXIT


start_player
wait_for_command "play CorvinaCD"
wait_for "鸦林小乐队" metadata artist
wait_for "晨昏小品" metadata album
wait_for "第一首" metadata title
# The cover, once fetched: a file in the cache, named as a file:// URL.
for _ in $(seq 50); do
    art=$(mpris metadata mpris:artUrl)
    [ -n "$art" ] && break
    sleep 0.1
done
case $art in
file://"$XDG_CACHE_HOME"/Corvina/lookup/*.jpg) ;;
*) fail "mpris:artUrl is '$art'" ;;
esac
cmp -s "${art#file://}" "$server/cover.jpg" || fail "the cached cover is not the server's picture"
[ "$(requests)" -eq 3 ] || fail "expected the disc, the cover and its redirect: $(cat "$server/requests.log")"
grep -q '"User-Agent": "Corvina/4.3 ( ' "$server/requests.log" || fail "no User-Agent naming the player"
exit_player
grep -q 'corvina:' "$SCRATCH/player.out" && fail "the lookup spoke: $(cat "$SCRATCH/player.out")"

# A second start names the disc from the cache and asks nothing.
start_player
wait_for "鸦林小乐队" metadata artist
wait_for "第一首" metadata title
[ -n "$(mpris metadata mpris:artUrl)" ] || fail "the second start has no cover"
sleep 2
[ "$(requests)" -eq 3 ] || fail "the second start made a request: $(cat "$server/requests.log")"
exit_player

# Switched off, and nothing cached: nothing is sent, and the disc shows what it did before.
rm -rf "$XDG_CACHE_HOME"
echo '"OnlineLookup"=dword:00000000' >> "$XDG_CONFIG_HOME/Corvina/HKCU.reg"
start_player
wait_for "Track 01" metadata title
wait_for "Artist" metadata artist
sleep 3
[ "$(requests)" -eq 3 ] || fail "a request was made with lookups off: $(cat "$server/requests.log")"
[ -z "$(mpris metadata mpris:artUrl)" ] || fail "a cover without a lookup"
[ ! -e "$XDG_CACHE_HOME" ] || fail "the cache was made with lookups off"
exit_player
echo "ok"
