#!/usr/bin/env bash
# The main menu under a window manager: a right click on the background opens the skinned menu
# at the pointer; "声道" > "左声道" leaves the right channel of what is played silent and the left
# playing; "声道" > "全部静音" shows the muted picture and silences both; "视图" > "随身听" shows the
# compact strip, and its menu symbol's "视图" > "完整" brings the full view back.
set -euo pipefail
source "$(dirname "$0")/lib/player.bash"
e2e_setup "$1" "$2"

openbox >"$SCRATCH/openbox.out" 2>&1 &
OPENBOX_PID=$!
trap 'e2e_cleanup; kill $OPENBOX_PID 2>/dev/null || true' EXIT

# A long tone on both channels (and a second track: a one-track disc counts as none).
for n in 01 02; do
    sox -n -r 44100 -b 16 -c 2 -e signed-integer "$SCRATCH/disc/$n.wav" synth 30 sine 440 gain -6
done
write_settings
# An opaque menu, so that its colours can be read off the screen exactly.
sed -i 's/"TranslucentMenu"=dword:00000001/"TranslucentMenu"=dword:00000000/' \
    "$XDG_CONFIG_HOME/Corvina/HKCU.reg"

# The colour of one screen pixel as #RRGGBB.
pixel() {
    import -window root -crop "1x1+$1+$2" -depth 8 txt:- | tail -1 | grep -o '#[0-9A-F]\{6\}'
}
wait_for_pixel() {
    for _ in $(seq 50); do
        [ "$(pixel "$1" "$2")" = "$3" ] && return 0
        sleep 0.1
    done
    fail "pixel ($1, $2) is $(pixel "$1" "$2"), not $3"
}
seconds() { soxi -D "$SCRATCH/played.wav"; }
# RMS amplitude of channel $3 between $1 and $2 seconds of the capture.
rms() {
    sox "$SCRATCH/played.wav" -n trim "$1" "=$2" remix "$3" stat 2>&1 |
        awk '/RMS +amplitude/ {print $3}'
}
quiet() { awk -v v="$1" 'BEGIN { exit !(v < 0.001) }'; }
loud() { awk -v v="$1" 'BEGIN { exit !(v > 0.05) }'; }

# Opens the menu with the right button at (x, y) of the window and waits for it to be drawn:
# the red bevel at the pointer, the title strip beside it.
open_menu() {
    eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
    local px=$((X + $1)) py=$((Y + $2))
    xdotool mousemove "$px" "$py" click 3
    wait_for_pixel "$px" $((py + 5)) "#FF3333"
    wait_for_pixel $((px + 1)) $((py + 5)) "#FF7878"
    wait_for_pixel $((px + 5)) $((py + 5)) "#FF6666"
    sleep 0.3  # the fade's last frame
}

start_player
wait_for_command "play CorvinaCD"
sleep 1.5
eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
mute_x=$((X + 127)) mute_y=$((Y + 29))
sound_on=$(pixel $mute_x $mute_y)

# The channel submenu from the keyboard: the sixth entry, then its first item.
open_menu 135 40
xdotool key Down Down Down Down Down Down Right
sleep 0.4
xdotool key Return
wait_for_command "set CorvinaCD audio left on"
grep -q "^set CorvinaCD audio right off"$'\t' "$MCI_LOG" || fail "right was not switched off"
left_from=$(seconds)
sleep 2.5
left_to=$(seconds)

# Mute from the same submenu, by the mouse this time: hover, then click the last item.
open_menu 135 40
xdotool key Down Down Down Down Down Down Right Up Return
wait_for_command "set CorvinaCD audio all off"
mute_from=$(seconds)
[ "$(pixel $mute_x $mute_y)" != "$sound_on" ] || fail "the muted picture is not shown"
sleep 2
mute_to=$(seconds)

# Waits for the window to take the size $1 x $2.
wait_for_size() {
    for _ in $(seq 50); do
        eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
        [ "$WIDTH" = "$1" ] && [ "$HEIGHT" = "$2" ] && return 0
        sleep 0.1
    done
    fail "the window is ${WIDTH}x$HEIGHT, not $1x$2"
}
open_menu 135 40
xdotool key Down Right Down Return
wait_for_size 180 18
[ "$Y" = 0 ] || fail "the compact strip is at top $Y, not 0"
click_at 10 9
sleep 0.6
xdotool key Down Right Return
wait_for_size 460 64

exit_player

l=$(rms 0.2 1.2 1); r=$(rms 0.2 1.2 2)
loud "$l" && loud "$r" || fail "both channels should play at first (left $l, right $r)"
l=$(rms "$(echo "$left_from + 0.5" | bc)" "$left_to" 1)
r=$(rms "$(echo "$left_from + 0.5" | bc)" "$left_to" 2)
loud "$l" || fail "the left channel went silent ($l)"
quiet "$r" || fail "the right channel still plays ($r)"
l=$(rms "$(echo "$mute_from + 0.5" | bc)" "$mute_to" 1)
r=$(rms "$(echo "$mute_from + 0.5" | bc)" "$mute_to" 2)
quiet "$l" && quiet "$r" || fail "mute left sound (left $l, right $r)"
echo "ok"
