#!/usr/bin/env bash
# The notification area with a real window manager (openbox) and tray host (trayer): hiding to the
# tray removes the window and its taskbar entry and leaves the icon; a click on the icon brings the
# window back, in its normal state even after a minimise that the window manager undid. With no tray host the player stays reachable: it minimises to the taskbar, says so
# once, and a second start brings it back; a start minimised to the tray shows the window. The
# icon's menu is the main menu.
set -euo pipefail
source "$(dirname "$0")/lib/player.bash"

e2e_setup "$1" "$2"
make_disc
write_settings
export CORVINA_ERROR_LOG=$SCRATCH/errors.log

openbox --sm-disable >/dev/null 2>&1 &
WM=$!
TRAYER=
stop_helpers() {
    [ -n "$TRAYER" ] && kill "$TRAYER" 2>/dev/null || true
    kill "$WM" 2>/dev/null || true
    e2e_cleanup
}
trap stop_helpers EXIT
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done

start_trayer() {
    trayer --edge bottom --align right --widthtype pixel --width 120 --heighttype pixel \
        --height 24 --SetDockType true --transparent false --tint 0x808080 >>"$SCRATCH/trayer.log" 2>&1 &
    TRAYER=$!
    for _ in $(seq 50); do
        # Read whole: with pipefail, grep -q leaving early would fail the pipe on its match.
        case "$(xwininfo -root -tree 2>/dev/null)" in *'"panel": ("panel" "trayer")'*) return 0 ;; esac
        sleep 0.1
    done
    fail "trayer did not start"
}
stop_trayer() {
    kill "$TRAYER"
    wait "$TRAYER" 2>/dev/null || true
    TRAYER=
}

# The player's icon embedded in the tray: prints its centre in screen coordinates.
tray_icon_centre() {
    local line
    for _ in $(seq 50); do
        line=$(xwininfo -root -tree | grep -E '"Corvina": \("corvina" "Corvina"\) +[0-9]+x[0-9]+' \
            | grep -vE ' 460x' | head -1 || true)
        if [ -n "$line" ]; then
            echo "$line" | sed -E 's/.* ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+).*/\3 \4 \1 \2/' \
                | awk '{print $1 + int($3 / 2), $2 + int($4 / 2)}'
            return 0
        fi
        sleep 0.1
    done
    return 1
}
visible_windows() { xdotool search --onlyvisible --name '^Corvina CD 播放器$' 2>/dev/null | wc -l; }
in_taskbar() { wmctrl -l | grep -q 'Corvina CD 播放器'; }
window_state() { xprop -id "$WINDOW" WM_STATE | sed -n 's/.*window state: //p'; }

# --- With a tray host.
start_trayer
start_player
read -r IX IY < <(tray_icon_centre) || fail "no icon in the tray"
# The icon at its real size, for people to look at.
import -window root "$SCRATCH/screen.png"
convert "$SCRATCH/screen.png" -crop 120x24+904+744 +repage "$SCRATCH/tray.png"

click_at 448 23  # "最小化至系统托盘"
for _ in $(seq 30); do [ "$(visible_windows)" -eq 0 ] && break; sleep 0.1; done
[ "$(visible_windows)" -eq 0 ] || fail "the window stayed on screen after hiding to the tray"
in_taskbar && fail "the taskbar entry stayed after hiding to the tray"
tray_icon_centre >/dev/null || fail "the icon left the tray"
wait_for_command "status CorvinaCD media present" 3  # still polling while hidden

xdotool mousemove "$IX" "$IY" click 1
for _ in $(seq 30); do [ "$(visible_windows)" -eq 1 ] && break; sleep 0.1; done
[ "$(visible_windows)" -eq 1 ] || fail "a click on the icon did not bring the window back"
in_taskbar || fail "the taskbar entry did not come back"
eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
[ "$WIDTH"x"$HEIGHT" = 460x64 ] || fail "the window came back as ${WIDTH}x$HEIGHT"

# Minimised by its button and restored by the window manager (as from the taskbar), then hidden:
# the window comes back in its normal state, without a second click and without the minimise
# handler's bracketed title, by a click on the icon and by a view chosen from the icon's menu.
wait_state() { for _ in $(seq 30); do [ "$(window_state)" = "$1" ] && break; sleep 0.1; done; }
minimise_restore_hide() {
    click_at 434 8
    wait_state Iconic
    wmctrl -i -a "$WINDOW"
    wait_state Normal
    [ "$(window_state)" = Normal ] || fail "the window manager did not restore the window"
    sleep 0.3
    click_at 448 23
    for _ in $(seq 30); do [ "$(visible_windows)" -eq 0 ] && break; sleep 0.1; done
}
expect_back() {
    wait_state Normal
    sleep 1.5  # the next ticks would bracket the title after a minimise
    [ "$(window_state)" = Normal ] || fail "$1: the window came back $(window_state)"
}
minimise_restore_hide
xdotool mousemove "$IX" "$IY" click 1
expect_back "by the icon"
[ "$(xdotool getwindowname "$WINDOW")" = "Corvina CD 播放器" ] || fail "title $(xdotool getwindowname "$WINDOW")"
minimise_restore_hide
xdotool mousemove "$IX" "$IY" click 3
sleep 1
xdotool key Down Right Down Return  # "视图" -> "随身听"
expect_back "by the compact view from the menu"
eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
[ "$WIDTH"x"$HEIGHT" = 180x18 ] || fail "the compact view came back as ${WIDTH}x$HEIGHT"
xdotool mousemove $((X + 24)) $((Y + 9)) click --repeat 2 --delay 120 1  # the full view again
for _ in $(seq 30); do [ "$(visible_windows)" -eq 1 ] && break; sleep 0.1; done

# The tray host ends while the player hides in it: the window comes back by itself.
click_at 448 23
for _ in $(seq 30); do [ "$(visible_windows)" -eq 0 ] && break; sleep 0.1; done
stop_trayer
for _ in $(seq 50); do [ "$(visible_windows)" -eq 1 ] && break; sleep 0.1; done
[ "$(visible_windows)" -eq 1 ] || fail "the window stayed hidden after the tray went away"

# --- No tray host: the button minimises to the taskbar instead, with one notice.
click_at 448 23
for _ in $(seq 30); do [ "$(window_state)" = Iconic ] && break; sleep 0.1; done
[ "$(window_state)" = Iconic ] || fail "with no tray the window was not minimised ($(window_state))"
in_taskbar || fail "with no tray the taskbar entry went"
grep -q '最小化到任务栏' "$SCRATCH/player.out" || fail "no notice that the tray is missing"
timeout 15 "$PLAYER" >"$SCRATCH/second.out" 2>&1 || fail "the second start did not end cleanly"
for _ in $(seq 30); do [ "$(window_state)" = Normal ] && break; sleep 0.1; done
[ "$(window_state)" = Normal ] || fail "a second start did not bring the window back"
click_at 448 23
for _ in $(seq 30); do [ "$(window_state)" = Iconic ] && break; sleep 0.1; done
[ "$(grep -c '最小化到任务栏' "$SCRATCH/player.out")" -eq 1 ] || fail "the notice came twice"
timeout 15 "$PLAYER" >/dev/null 2>&1
for _ in $(seq 30); do [ "$(window_state)" = Normal ] && break; sleep 0.1; done
exit_player

# --- Start minimised with no tray: the window shows.
sed -i 's/"MinimizeAtStartup"=dword:00000000/"MinimizeAtStartup"=dword:00000001/' \
    "$XDG_CONFIG_HOME/Corvina/HKCU.reg"
start_player
exit_player

# --- Start minimised with a tray: only the icon, and a click shows the window.
start_trayer
"$PLAYER" >"$SCRATCH/player.out" 2>&1 &
PLAYER_PID=$!
read -r IX IY < <(tray_icon_centre) || fail "no icon in the tray at a minimised start"
sleep 1
[ "$(visible_windows)" -eq 0 ] || fail "a start minimised to the tray showed the window"
# The tray host may still be laying its icons out after the embed: a click that lands while the
# icon moves is tried once more where the icon then is.
for attempt in 1 2; do
    xdotool mousemove "$IX" "$IY" click 1
    for _ in $(seq 30); do
        WINDOW=$(xdotool search --onlyvisible --name '^Corvina CD 播放器$' 2>/dev/null | head -1 || true)
        [ -n "$WINDOW" ] && break
        sleep 0.1
    done
    [ -n "$WINDOW" ] && break
    read -r IX IY < <(tray_icon_centre) || fail "the icon left the tray"
done
[ -n "$WINDOW" ] || fail "a click on the icon did not show the window started minimised"

# The icon's menu is the main menu: the right button opens it at the pointer, and its last item
# ("退出", reached with the Up key from the top) ends the player.
xdotool mousemove "$IX" "$IY" click 3
sleep 1
xdotool key Up
sleep 0.3
import -window root "$SCRATCH/menu.png"
xdotool key Return
for _ in $(seq 50); do kill -0 "$PLAYER_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$PLAYER_PID" 2>/dev/null && fail "the exit item of the icon's menu did not end the player"
wait "$PLAYER_PID" || fail "the player ended with an error after the menu's exit"
PLAYER_PID=
[ "$(tail -1 "$MCI_LOG" | cut -f1)" = "close CorvinaCD" ] || fail "the device was not closed last"
[ ! -s "$SCRATCH/errors.log" ] || fail "errors reported: $(cat "$SCRATCH/errors.log")"
echo "ok"
