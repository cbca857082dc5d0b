#!/usr/bin/env bash
# The volume bar scales what the drive plays: dragged to its middle the captured amplitude about
# halves, at its left end the sound is silent; after a restart the bar and the sound are where
# they were left.
set -euo pipefail
source "$(dirname "$0")/lib/player.bash"
e2e_setup "$1" "$2"
# Two long tracks of one steady tone, so that every stretch measured has the same loudness.
sox -n -r 44100 -b 16 -c 2 -e signed-integer "$SCRATCH/disc/01.wav" synth 40 sine 440 gain -3
cp "$SCRATCH/disc/01.wav" "$SCRATCH/disc/02.wav"
write_settings

THUMB_Y=14  # the volume bar is at 321,6 (62 x 12); its thumb is 5 x 6 at y 12..17
TOP_Y=12    # the thumb's top row, above the ruler: its highlight shows only where the thumb is
LIT=255,150,150

# Bytes of audio captured so far.
captured() { stat -c %s "$CAPTURE"; }
# The peak of the samples captured between two byte offsets.
peak() {
    python3 - "$CAPTURE" "$1" "$2" <<'PY'
import struct, sys
path, start, end = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
start += (4 - (start - 44) % 4) % 4
with open(path, "rb") as f:
    f.seek(start)
    data = f.read(max(0, end - start) // 4 * 4)
samples = struct.unpack("<%dh" % (len(data) // 2), data)
print(max((abs(s) for s in samples), default=-1))
PY
}
# Peak of what is captured during the next second, after a short settling time.
peak_of_next_second() {
    sleep 0.3
    local from; from=$(captured)
    sleep 1
    peak "$from" "$(captured)"
}
# Drags the thumb from (from_x, THUMB_Y) to to_x in small steps.
drag() {
    eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
    xdotool mousemove $((X + $1)) $((Y + THUMB_Y)) mousedown 1
    local x=$1 step=$(( $2 < $1 ? -3 : 3 ))
    while [ $(( (x - $2) * step )) -lt 0 ]; do
        x=$((x + step)); [ $(( (x - $2) * step )) -gt 0 ] && x=$2
        xdotool mousemove $((X + x)) $((Y + THUMB_Y)); sleep 0.03
    done
    [ -n "${3:-}" ] && import -window root "$3"
    xdotool mouseup 1
}
# The colour of a pixel of the player window, as "r,g,b".
pixel() {
    eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
    import -window root "$SCRATCH/pixel.png"
    convert "$SCRATCH/pixel.png" -crop 1x1+$((X + $1))+$((Y + $2)) -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:
}

CAPTURE=$SCRATCH/played.wav
start_player
wait_for_command "play CorvinaCD"
[ "$(pixel 374 $TOP_Y)" = "$LIT" ] || fail "the thumb is not at the right end at first"
import -window root "$SCRATCH/rest.png"
full=$(peak_of_next_second)
[ "$full" -gt 20000 ] || fail "the tone plays too quietly at full volume ($full)"

drag 374 351 "$SCRATCH/dragging.png"   # thumb from x 51 to x 28 of the bar: value 32039
half=$(peak_of_next_second)
ratio=$(( 100 * half / full ))
[ "$ratio" -ge 44 ] && [ "$ratio" -le 54 ] || fail "the middle of the bar gives $ratio % of the amplitude"

drag 351 300                            # past the left end
quiet=$(peak_of_next_second)
[ "$quiet" -eq 0 ] || fail "the left end of the bar is not silent ($quiet)"

drag 329 351                            # back to the middle, and leave it there
grep -qx 'Left=32039' "$XDG_CONFIG_HOME/Corvina/Mixer.conf" 2>/dev/null || sleep 1
grep -qx 'Left=32039' "$XDG_CONFIG_HOME/Corvina/Mixer.conf" || fail "the volume was not kept"
exit_player

export CORVINA_AUDIO=wav:$SCRATCH/played2.wav
CAPTURE=$SCRATCH/played2.wav
start_player
wait_for_command "play CorvinaCD" 2
[ "$(pixel 351 $TOP_Y)" = "$LIT" ] || fail "after a restart the thumb is not where it was left"
[ "$(pixel 374 $TOP_Y)" = "0,0,0" ] || fail "after a restart the thumb is still at the right end"
again=$(peak_of_next_second)
ratio=$(( 100 * again / full ))
[ "$ratio" -ge 44 ] && [ "$ratio" -le 54 ] || fail "after a restart the amplitude is $ratio %"
exit_player
echo "ok (full $full, middle $half, left end $quiet, after restart $again)"
