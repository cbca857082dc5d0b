#!/usr/bin/env bash
# With the splash switched on, the splash shows first and the main window only after it; the
# pointer resting on a button shows the hint balloon after about half a second.
set -euo pipefail
source "$(dirname "$0")/lib/player.bash"
e2e_setup "$1" "$2"
make_disc
write_settings
sed -i 's/"ShowSplash"=dword:00000000/"ShowSplash"=dword:00000001/' "$XDG_CONFIG_HOME/Corvina/HKCU.reg"

main_window() { xdotool search --onlyvisible --name '^Corvina CD' 2>/dev/null | head -1 || true; }
# A visible 300 x 200 window of the player: the splash.
splash_window() {
    local w
    for w in $(xdotool search --onlyvisible --class corvina 2>/dev/null || true); do
        [ "$(xdotool getwindowgeometry "$w" 2>/dev/null | awk '/Geometry/ {print $2}')" = 300x200 ] &&
            { echo "$w"; return 0; }
    done
    return 0
}
# The colour of one screen pixel as R,G,B.
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- | awk 'NR == 2 {print $2}' | tr -d '()'; }

"$PLAYER" >"$SCRATCH/player.out" 2>&1 &
PLAYER_PID=$!
splash=""
for _ in $(seq 200); do
    kill -0 "$PLAYER_PID" 2>/dev/null || fail "the player ended at start"
    [ -z "$(main_window)" ] || fail "the main window showed before the splash"
    splash=$(splash_window)
    [ -n "$splash" ] && break
    sleep 0.05
done
[ -n "$splash" ] || fail "no splash appeared"
splash_seen=$(date +%s%N)
import -window root "$SCRATCH/splash.png"
eval "$(xdotool getwindowgeometry --shell "$splash")"
[ $((X + WIDTH / 2)) -eq 512 ] && [ $((Y + HEIGHT / 2)) -eq 384 ] || fail "the splash is not centred ($X,$Y)"
grep -q "^open cdaudio" "$MCI_LOG" 2>/dev/null && fail "start-up went on behind the splash"

WINDOW=""
for _ in $(seq 200); do
    WINDOW=$(main_window)
    [ -n "$WINDOW" ] && break
    sleep 0.05
done
[ -n "$WINDOW" ] || fail "no main window after the splash"
shown_after=$((($(date +%s%N) - splash_seen) / 1000000))
[ -z "$(splash_window)" ] || fail "the splash is still there beside the main window"
[ "$shown_after" -ge 2500 ] || fail "the main window came ${shown_after} ms after the splash, not ~3 s"

# Rest the pointer on the play button (pointer in the top-left quarter: balloon right-below).
eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
px=$((X + 160)) py=$((Y + 31))
xdotool mousemove $((px - 3)) "$py"
sleep 0.1
xdotool mousemove "$px" "$py"
moved=$(date +%s%N)
# The balloon's box starts 12 pixels right of and below the pointer; a point of its red strip
# clear of the arrow glyph, and one of its pink text area above the text.
sx=$((px + 12 + 12)) sy=$((py + 12 + 14))
sleep 0.25
[ "$(pixel $sx $sy)" != "255,62,62" ] || fail "the balloon came before the pause"
seen=""
for _ in $(seq 60); do
    if [ "$(pixel $sx $sy)" = "255,62,62" ]; then seen=$((($(date +%s%N) - moved) / 1000000)); break; fi
    sleep 0.05
done
[ -n "$seen" ] || fail "no balloon appeared over the play button"
import -window root "$SCRATCH/balloon.png"
[ "$(pixel $((px + 12 + 16)) $((py + 12 + 1)))" = "255,200,200" ] || fail "the balloon's text area is not pink"
echo "balloon after ${seen} ms; screenshots in $SCRATCH"

# A press ends the hint.
xdotool click 1
sleep 0.3
[ "$(pixel $sx $sy)" != "255,62,62" ] || fail "the balloon stayed after a click"
exit_player
echo "ok"
