#!/usr/bin/env bash
# The Preferences dialog opened by a click on the disc icon, under a real window manager:
# unchecking "窗口总是在最前端" and pressing OK makes the player an ordinary window at once,
# checking it again puts it back on top; the store follows, the window keeps its place and its
# rounded shape. Translucency reaches the window manager as the window's opacity. The dialog and
# the About box open centred on the screen with their frame and title bar.
set -euo pipefail
source "$(dirname "$0")/lib/player.bash"
e2e_setup "$1" "$2"
make_disc
write_settings
export CORVINA_ERROR_LOG=$SCRATCH/errors.log

openbox >"$SCRATCH/openbox.out" 2>&1 &
WM_PID=$!
trap 'kill $WM_PID 2>/dev/null || true; e2e_cleanup' EXIT
for _ in $(seq 100); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
wmctrl -m >/dev/null 2>&1 || fail "openbox did not start"

start_player
wait_for_command "play CorvinaCD"
sleep 1.2  # the disc icon shows once a tick has seen the disc
xdotool windowmove "$WINDOW" 40 40
sleep 0.3

main_window() { xdotool search --onlyvisible --name '^Corvina CD' | head -1; }
state() { xprop -id "$(main_window)" _NET_WM_STATE; }
stored() { grep -i "^\"$1\"=" "$XDG_CONFIG_HOME/Corvina/HKCU.reg" | cut -d: -f2; }

# The corner lies outside the rounded region (what is beneath shows), a point inside does not.
check_shape() {
    local w x y corner inside
    w=$(main_window)
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$X,$Y" = "40,40" ] || fail "the window moved to $X,$Y"
    import -window root "$SCRATCH/screen.png"
    corner=$(convert "$SCRATCH/screen.png" -format "%[pixel:p{$X,$Y}]" info:)
    inside=$(convert "$SCRATCH/screen.png" -format "%[pixel:p{$((X + 3)),$((Y + 3))}]" info:)
    [ "$corner" = "srgb(0,0,0)" ] || fail "the corner is drawn ($corner): the rounded shape is gone"
    [ "$inside" != "srgb(0,0,0)" ] || fail "the window is not drawn inside its shape"
}

# Opens the dialog through the disc icon and waits for it.
open_dialog() {
    WINDOW=$(main_window)
    click_at 36 30
    for _ in $(seq 50); do
        DIALOG=$(xdotool search --onlyvisible --name '^设置$' 2>/dev/null | head -1 || true)
        [ -n "$DIALOG" ] && return 0
        sleep 0.1
    done
    fail "the disc icon did not open the Preferences dialog"
}

# Clicks a control of the dialog at (x, y) of its client area, then OK, and waits for it to go.
click_in_dialog() { xdotool mousemove --window "$DIALOG" "$1" "$2" click 1; sleep 0.2; }
press_ok() {
    click_in_dialog $((312 + 37)) $((304 + 12))
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name '^设置$' >/dev/null 2>&1 || { sleep 0.5; return 0; }
        sleep 0.1
    done
    fail "OK did not close the dialog"
}
# The window $1 with its frame (_NET_FRAME_EXTENTS) is centred on the 1024 x 768 screen.
expect_centred() {
    local l r t b fx fy fw fh X Y WIDTH HEIGHT SCREEN WINDOW_ID
    for _ in $(seq 30); do
        IFS=', ' read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p') || true
        eval "$(xdotool getwindowgeometry --shell "$1")"
        fx=$((X - l)) fy=$((Y - t)) fw=$((WIDTH + l + r)) fh=$((HEIGHT + t + b))
        [ "${t:-0}" -gt 10 ] && [ "$fx" -eq $(((1024 - fw) / 2)) ] && [ "$fy" -eq $(((768 - fh) / 2)) ] && return 0
        sleep 0.1
    done
    fail "$2: the frame ${fw}x$fh is at $fx,$fy, not centred ($(((1024 - fw) / 2)),$(((768 - fh) / 2)))"
}
ALWAYS_ON_TOP=(272 88)  # GroupBox1 (8, 8) + cbAlwaysOnTop (256, 72) + the box
TRANSLUCENT=(272 112)

state | grep -q _NET_WM_STATE_ABOVE || fail "the player does not start on top: $(state)"
check_shape

open_dialog
expect_centred "$DIALOG" "the Preferences dialog"
import -window root "$SCRATCH/dialog.png"   # to look at: the dialog beside the main window
click_in_dialog "${ALWAYS_ON_TOP[@]}"
press_ok
state | grep -q _NET_WM_STATE_ABOVE && fail "still on top after unchecking: $(state)"
[ "$(stored AlwaysOnTop)" = 00000000 ] || fail "the store holds AlwaysOnTop=$(stored AlwaysOnTop)"
check_shape

open_dialog
click_in_dialog "${ALWAYS_ON_TOP[@]}"
click_in_dialog "${TRANSLUCENT[@]}"
press_ok
state | grep -q _NET_WM_STATE_ABOVE || fail "not on top after checking again: $(state)"
[ "$(stored AlwaysOnTop)" = 00000001 ] || fail "the store holds AlwaysOnTop=$(stored AlwaysOnTop)"
[ "$(stored Translucent)" = 00000001 ] || fail "the store holds Translucent=$(stored Translucent)"
xprop -id "$(main_window)" _NET_WM_WINDOW_OPACITY | grep -qi '= 3705461980$' ||
    fail "not translucent: $(xprop -id "$(main_window)" _NET_WM_WINDOW_OPACITY)"

# Cancel writes nothing.
cp "$XDG_CONFIG_HOME/Corvina/HKCU.reg" "$SCRATCH/before.reg"
open_dialog
click_in_dialog "${TRANSLUCENT[@]}"
xdotool key Escape
sleep 0.5
xdotool search --onlyvisible --name '^设置$' >/dev/null 2>&1 && fail "Esc did not close the dialog"
cmp -s "$XDG_CONFIG_HOME/Corvina/HKCU.reg" "$SCRATCH/before.reg" || fail "Cancel changed the store"
xprop -id "$(main_window)" _NET_WM_WINDOW_OPACITY | grep -qi '= 3705461980$' ||
    fail "Cancel changed the translucency"

# Screen-edge snapping still watches the window the stay-on-top changes re-created.
xdotool windowmove "$(main_window)" 6 300
for _ in $(seq 30); do
    eval "$(xdotool getwindowgeometry --shell "$(main_window)")"
    [ "$X" -eq 0 ] && break
    sleep 0.1
done
[ "$X" -eq 0 ] || fail "a window moved 6 pixels from the edge was not snapped to it (x = $X)"

# The About box, from the menu's end: "退出", "Velmaro其他产品", "帮助" -> "关于".
WINDOW=$(main_window)
eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
xdotool mousemove $((X + 135)) $((Y + 40)) click 3
sleep 1
xdotool key Up Up Up Right Down Return
for _ in $(seq 50); do
    ABOUT=$(xdotool search --onlyvisible --name '^关于$' 2>/dev/null | head -1 || true)
    [ -n "$ABOUT" ] && break
    sleep 0.1
done
[ -n "$ABOUT" ] || fail "the menu did not open the About box"
expect_centred "$ABOUT" "the About box"
xdotool key Escape
sleep 0.5

[ ! -s "$CORVINA_ERROR_LOG" ] || { cat "$CORVINA_ERROR_LOG" >&2; fail "errors were reported"; }
exit_player
echo "ok"
