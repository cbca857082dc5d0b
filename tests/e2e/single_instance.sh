#!/usr/bin/env bash
# A second start hands over to the running player and ends without a window; the running one
# comes to the front.
set -euo pipefail
source "$(dirname "$0")/lib/player.bash"

# The topmost mapped window (xwininfo lists the root's children from the top down).
top_window() {
    local visible id
    visible=" $(xdotool search --onlyvisible --name '' | tr '\n' ' ') "
    for id in $(xwininfo -root -children | grep -oE '^ +0x[0-9a-f]+'); do
        [[ $visible == *" $((id)) "* ]] && { echo $((id)); return; }
    done
}
e2e_setup "$1" "$2"
make_disc
write_settings

start_player
# Another window on top of the player, holding the focus.
eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
xmessage -geometry "+$X+$Y" "covering the player" &
COVER=$!
trap 'kill $COVER 2>/dev/null || true; e2e_cleanup' EXIT
for _ in $(seq 50); do
    COVER_WINDOW=$(xdotool search --onlyvisible --name '^xmessage$' 2>/dev/null | tail -1 || true)
    [ -n "$COVER_WINDOW" ] && break
    sleep 0.1
done
[ -n "$COVER_WINDOW" ] || fail "no covering window"
sleep 0.5
xdotool windowfocus --sync "$COVER_WINDOW"
xdotool windowraise "$COVER_WINDOW"
sleep 0.3
[ "$(top_window)" = "$COVER_WINDOW" ] || fail "the covering window is not on top"

# The second start ends by itself (generous limit: sanitizer builds on a busy machine start slowly).
timeout 15 "$PLAYER" >"$SCRATCH/second.out" 2>&1 || fail "the second start did not end cleanly"

for _ in $(seq 50); do
    [ "$(top_window)" = "$WINDOW" ] && break
    sleep 0.1
done
[ "$(xdotool search --onlyvisible --name '^Corvina CD' | wc -l)" -eq 1 ] \
    || fail "a second player window appeared"
kill -0 "$PLAYER_PID" || fail "the first player ended"
[ "$(top_window)" = "$WINDOW" ] || fail "the first player was not raised above the other window"
[ "$(grep -c "^open cdaudio" "$MCI_LOG")" -eq 1 ] || fail "the second start opened the device"
exit_player
echo "ok"
