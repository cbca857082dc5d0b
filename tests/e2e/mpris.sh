#!/usr/bin/env bash
# The desktop's media controls: a real MPRIS client (playerctl) on a private session bus drives
# the player through the same handlers as its buttons, and reads the disc's own track names.
set -euo pipefail
source "$(dirname "$0")/lib/player.bash"
e2e_setup "$1" "$2"
make_disc
write_settings

# The rip names its tracks in its cue sheet.
cat > "$SCRATCH/disc/disc.cue" <<'CUE'
PERFORMER "鸦林小乐队"
TITLE "测试唱片"
FILE "01.wav" WAVE
  TRACK 01 AUDIO
    TITLE "第一首"
    INDEX 01 00:00:00
FILE "02.wav" WAVE
  TRACK 02 AUDIO
    TITLE "第二首 Second"
    INDEX 01 00:00:00
FILE "03.wav" WAVE
  TRACK 03 AUDIO
    INDEX 01 00:00:00
CUE
export CORVINA_DISC=$SCRATCH/disc/disc.cue

start_session_bus

start_player
wait_for_command "play CorvinaCD"
MPRIS_WAIT=50
wait_for "Playing" status
wait_for "第一首" metadata title
wait_for "鸦林小乐队" metadata artist
wait_for "测试唱片" metadata album

# Next: the button's command, and the second track's name at once.
before=$(wc -l < "$MCI_LOG")
playerctl -p corvina next
wait_for_command "play CorvinaCD from 2"
[ "$(sed -n "$((before + 1))p" "$MCI_LOG" | cut -f1)" = "play CorvinaCD from 2" ] ||
    fail "next sent something before its play command"
wait_for "第二首 Second" metadata title
wait_for "2" metadata xesam:trackNumber
wait_for "'/org/corvina/track/2'" metadata mpris:trackid  # printed as a GVariant

# Play-pause pauses and resumes, as the pause and play buttons do.
playerctl -p corvina play-pause
wait_for_command "stop CorvinaCD wait"
wait_for "Paused" status
playerctl -p corvina play-pause
wait_for_command "play CorvinaCD" 2
wait_for "Playing" status

# A seek takes the 10-second step's way, in milliseconds, and returns to TMSF.
playerctl -p corvina position 2+
wait_for_command "set CorvinaCD time format milliseconds"
wait_for_command "set CorvinaCD time format tmsf"

# The window still answers its own buttons, and the bus hears about it from the tick: stop.
dbus-monitor --session "type='signal',interface='org.freedesktop.DBus.Properties'" \
    > "$SCRATCH/signals" 2>/dev/null &
MONITOR_PID=$!
sleep 0.5
click_at 216 31
wait_for "Stopped" status
sleep 0.5
kill "$MONITOR_PID"
grep -A3 '"PlaybackStatus"' "$SCRATCH/signals" | grep -q '"Stopped"' ||
    fail "no PropertiesChanged told of the stop: $(cat "$SCRATCH/signals")"

# Quit through the bus runs the exit sequence.
playerctl -p corvina stop
playerctl -p corvina play
wait_for "Playing" status
dbus-send --session --type=method_call --dest=org.mpris.MediaPlayer2.corvina \
    /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2.Quit
for _ in $(seq 100); do
    kill -0 "$PLAYER_PID" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$PLAYER_PID" 2>/dev/null && fail "Quit did not end the player"
wait "$PLAYER_PID" || fail "the player ended with an error"
PLAYER_PID=
[ "$(cut -f1 "$MCI_LOG" | tail -1)" = "close CorvinaCD" ] || fail "Quit skipped the exit sequence"

# Without a session bus the player runs as before, silently.
unset DBUS_SESSION_BUS_ADDRESS
export DBUS_SESSION_BUS_ADDRESS=unix:path=$SCRATCH/no-bus
start_player
wait_for_command "play CorvinaCD" 3
sleep 1
exit_player
grep -qi 'dbus' "$SCRATCH/player.out" && fail "the player complained without a bus: $(cat "$SCRATCH/player.out")"

# Nor does it launch a bus of its own when neither the bus nor the runtime folder is named: the
# bus library would start one for the display, and it would outlive the player. A bus started
# that way leaves its process id on a window of the display it serves; this display is the test's
# own, so whatever else runs on the machine cannot be mistaken for it.
autolaunched_bus() {
    local w
    for w in $(xwininfo -root -children | grep -oE '^ +0x[0-9a-f]+'); do
        xprop -id "$w" _DBUS_SESSION_BUS_PID 2>/dev/null | grep -oE '[0-9]+$' && return 0
    done
    return 0
}
unset DBUS_SESSION_BUS_ADDRESS
saved_runtime=$XDG_RUNTIME_DIR
unset XDG_RUNTIME_DIR
start_player
wait_for_command "play CorvinaCD" 4
sleep 1
exit_player
export XDG_RUNTIME_DIR=$saved_runtime
launched=$(autolaunched_bus)
[ -z "$launched" ] || { kill "$launched"; fail "the player launched a session bus"; }
echo "ok"
