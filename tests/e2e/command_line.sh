#!/usr/bin/env bash
# The command line is not read: started with Qt's own options, the desktop's "/play" argument
# and anything else, the player shows its 460 x 64 window at the same place and sends the same
# commands as without them.
set -euo pipefail
source "$(dirname "$0")/lib/player.bash"
e2e_setup "$1" "$2"
make_disc
write_settings

# One start: waits for play, notes the window's place and size, exits by the close button, and
# keeps the command log of start-up (through the first play) and of the exit (from its stop).
run() {
    local name=$1
    shift
    rm -f "$MCI_LOG"
    "$PLAYER" "$@" >"$SCRATCH/player.out" 2>&1 &
    PLAYER_PID=$!
    for _ in $(seq 300); do
        WINDOW=$(xdotool search --onlyvisible --name '^Corvina CD' 2>/dev/null | head -1 || true)
        [ -n "$WINDOW" ] && break
        kill -0 "$PLAYER_PID" 2>/dev/null || { cat "$SCRATCH/player.out" >&2; fail "the player ended at start ($name)"; }
        sleep 0.1
    done
    [ -n "$WINDOW" ] || fail "no player window appeared ($name)"
    wait_for_command "play CorvinaCD"
    xdotool getwindowgeometry "$WINDOW" | grep -E 'Position|Geometry' |
        sed 's/ (screen.*//' >"$SCRATCH/$name.geometry"
    exit_player
    cut -f1 "$MCI_LOG" | sed -n '1,/^play CorvinaCD$/p' >"$SCRATCH/$name.log"
    cut -f1 "$MCI_LOG" | sed -n '/^stop CorvinaCD wait$/,$p' >>"$SCRATCH/$name.log"
}

run plain
run arguments -qwindowgeometry 300x300+5+5 -geometry 300x300+5+5 -style fusion -reverse \
    -platform offscreen -display :999 -qwindowtitle other -stylesheet /nonexistent.qss \
    /play /dev/cdrom "$SCRATCH/disc/01.wav" --help -- -x

grep -q 'Geometry: 460x64' "$SCRATCH/plain.geometry" || fail "the window is not 460 x 64: $(cat "$SCRATCH/plain.geometry")"
diff -u "$SCRATCH/plain.geometry" "$SCRATCH/arguments.geometry" || fail "the arguments moved or resized the window"
diff -u "$SCRATCH/plain.log" "$SCRATCH/arguments.log" || fail "the arguments changed what the player sent"
grep -q '^close CorvinaCD$' "$SCRATCH/arguments.log" || fail "the exit sequence is missing"
echo "ok"
