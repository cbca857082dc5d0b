#!/usr/bin/env bash
# The window under a real window manager (openbox): dragged by a label it snaps to the screen
# edge, double clicks switch the views and place them, minimising and restoring keep the view and
# set the titles, and a panel along the bottom edge keeps the window above it.
set -euo pipefail
source "$(dirname "$0")/lib/player.bash"
e2e_setup "$1" "$2"
export CORVINA_ERROR_LOG=$SCRATCH/errors.log
make_disc
write_settings

WM_PID=
PANEL_PID=
stop_helpers() {
    for pid in $PANEL_PID $WM_PID; do kill "$pid" 2>/dev/null || true; done
    e2e_cleanup
}
trap stop_helpers EXIT
openbox --sm-disable >"$SCRATCH/openbox.log" 2>&1 &
WM_PID=$!
for _ in $(seq 150); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
wmctrl -m >/dev/null 2>&1 || fail "openbox did not start: $(cat "$SCRATCH/openbox.log")"

# "X,Y WIDTHxHEIGHT" of the player window.
geometry() {
    local X Y WIDTH HEIGHT SCREEN WINDOW_ID
    eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
    echo "$X,$Y ${WIDTH}x$HEIGHT"
}
expect_geometry() {
    for _ in $(seq 30); do
        [ "$(geometry)" = "$1" ] && return 0
        sleep 0.1
    done
    fail "${2:-the window} is at $(geometry), expected $1"
}
# Drags the window by the point (dx, dy) of the window so that the window's corner ends at
# (left, top); checks where it is before the release, then releases.
drag_to() {
    local dx=$1 dy=$2 left=$3 top=$4
    eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
    xdotool mousemove $((X + dx)) $((Y + dy)) mousedown 1
    sleep 0.2
    xdotool mousemove $((X + dx + 4)) $((Y + dy))  # the drag starts after a few pixels
    # As a hand moves it: the window manager takes the move over while the pointer travels, so
    # a busy machine that is slow to hand it over still sees the pointer move on afterwards.
    sleep 0.3
    local step
    for step in 1 2 3 4 5 6 7 8; do
        xdotool mousemove $((X + dx + 4 + (left - X - 4) * step / 8)) $((Y + dy + (top - Y) * step / 8))
        sleep 0.05
    done
    sleep 0.4
    expect_geometry "$left,$top $WIDTH"x"$HEIGHT" "while dragging, the window"
    xdotool mouseup 1
}
double_click_at() {
    eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
    xdotool mousemove $((X + $1)) $((Y + $2)) click --repeat 2 --delay 120 1
}
window_state() { xprop -id "$WINDOW" WM_STATE | awk '/window state/ {print $3}'; }
expect_state() {
    for _ in $(seq 30); do
        [ "$(window_state)" = "$1" ] && return 0
        sleep 0.1
    done
    fail "the window is $(window_state), expected $1"
}
title() { xdotool getwindowname "$WINDOW"; }

start_player
wait_for_command "play CorvinaCD"
expect_geometry "282,352 460x64" "at start the window"

# Dragged by LabelTrack to 5 pixels from the left edge: pulled onto it on release. Ten pixels
# from the edge is far enough to stay.
drag_to 274 50 5 300
expect_geometry "0,300 460x64" "after a drag to 5 pixels from the edge, the window"
drag_to 274 50 10 300
sleep 0.5
expect_geometry "10,300 460x64" "after a drag to 10 pixels from the edge, the window"

# A double click on the background: the strip at the top centre; on the strip: the full view
# back in the middle of the screen.
double_click_at 100 50
expect_geometry "422,0 180x18" "after a double click on the background, the window"
import -window root "$SCRATCH/compact.png"
double_click_at 24 9
expect_geometry "282,352 460x64" "after a double click on the strip, the window"
import -window root "$SCRATCH/full.png"

# Minimised by its button with a disc playing: the title shows track and position; restored,
# the plain title at once and the full view where it was.
click_at 434 8
expect_state Iconic
sleep 1.2
title | grep -q '^Corvina CD 播放器 - \[01 [0-9][0-9]:[0-9][0-9]\]$' || fail "minimised title: $(title)"
wmctrl -i -a "$WINDOW"
expect_state Normal
# The player hears of the restore just after the window manager has made it.
for _ in $(seq 20); do [ "$(title)" = "Corvina CD 播放器" ] && break; sleep 0.05; done
[ "$(title)" = "Corvina CD 播放器" ] || fail "restored title: $(title)"
expect_geometry "282,352 460x64" "restored, the full view"

# The compact view minimised by the window manager comes back as the strip.
double_click_at 100 50
expect_geometry "422,0 180x18"
xdotool windowminimize "$WINDOW"
expect_state Iconic
wmctrl -i -a "$WINDOW"
expect_state Normal
expect_geometry "422,0 180x18" "restored, the compact view"
double_click_at 24 9
expect_geometry "282,352 460x64"

# A panel along the bottom edge (30 pixels): a drag ending 5 pixels above it puts the window
# right on top of it.
trayer --edge bottom --align left --SetDockType true --SetPartialStrut true --widthtype percent \
    --width 100 --height 30 --expand false >"$SCRATCH/trayer.log" 2>&1 &
PANEL_PID=$!
for _ in $(seq 50); do
    xprop -root _NET_WORKAREA 2>/dev/null | grep -q '= 0, 0, 1024, 738' && break
    sleep 0.1
done
xprop -root _NET_WORKAREA | grep -q '= 0, 0, 1024, 738' || fail "the panel reserved no space"
sleep 0.3
drag_to 274 50 300 $((738 - 64 - 5))
expect_geometry "300,$((738 - 64)) 460x64" "after a drag to 5 pixels above the panel, the window"

[ ! -s "$SCRATCH/errors.log" ] || fail "errors reported: $(cat "$SCRATCH/errors.log")"
exit_player
echo "ok"
