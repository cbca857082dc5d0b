#!/usr/bin/env bash
# The real-drive backend (libcdio and cdparanoia) on a disc image chosen with CORVINA_DRIVE: the
# player finds the disc, names it from its CD-TEXT, plays its audio bit for bit, and its tray
# takes the disc out and gives it back.
set -euo pipefail
source "$(dirname "$0")/lib/player.bash"
e2e_setup "$1" "$2"
write_settings
unset CORVINA_DISC

# Three seconds of one tone, two of another, then a data track; the cue driver reads the .bin
# named like the .cue.
synth=(-r 44100 -b 16 -c 2 -e signed-integer)
raw=(-t raw -e signed-integer -b 16 -c 2 -r 44100)
sox -n "${synth[@]}" "${raw[@]}" "$SCRATCH/t1.raw" synth 3 sine 440 gain -6
sox -n "${synth[@]}" "${raw[@]}" "$SCRATCH/t2.raw" synth 2 triangle 330 gain -6
head -c $((2352 * 150)) /dev/zero > "$SCRATCH/data.raw"
cat "$SCRATCH/t1.raw" "$SCRATCH/t2.raw" "$SCRATCH/data.raw" > "$SCRATCH/disc/image.bin"
cat > "$SCRATCH/disc/image.cue" <<'CUE'
PERFORMER "鸦林小乐队"
TITLE "镜像唱片"
FILE "image.bin" BINARY
  TRACK 01 AUDIO
    TITLE "第一首"
    INDEX 01 00:00:00
  TRACK 02 AUDIO
    INDEX 01 00:03:00
  TRACK 03 MODE1/2352
    INDEX 01 00:05:00
CUE
export CORVINA_DRIVE=$SCRATCH/disc/image.cue

start_player
wait_for_command "play CorvinaCD"
sleep 3
grep -q $'status CorvinaCD number of tracks\t0\t3' "$MCI_LOG" || fail "the image's three tracks were not seen"
grep -q $'status CorvinaCD length wait\t0\t00:07' "$MCI_LOG" || fail "the disc length is not 00:07"

# The title line scrolls the disc's own names; its hint holds them whole.
xdotool mousemove --window "$WINDOW" 230 12
sleep 2
import -window root "$SCRATCH/shot.png"

# The eject button takes the disc out (no media), the second press gives it back.
click_at 367 31
wait_for_command "set CorvinaCD door open"
sleep 1.5
cut -f1,3 "$MCI_LOG" | tail -3 | grep -q $'status CorvinaCD media present\tfalse' ||
    fail "an open tray still showed the disc"
click_at 367 31
wait_for_command "set CorvinaCD door closed" 2
wait_for_command "play CorvinaCD" 2
sleep 1
exit_player

# What was played is track 1 from its first sample, as cdparanoia read it from the image.
[ -s "$SCRATCH/played.wav" ] || fail "no audio was written"
sox "$SCRATCH/played.wav" "${raw[@]}" "$SCRATCH/played.raw" trim 0 2
head -c 352800 "$SCRATCH/t1.raw" > "$SCRATCH/track1.raw"
[ "$(stat -c %s "$SCRATCH/played.raw")" -eq 352800 ] || fail "less than 2 s of audio played"
cmp -s "$SCRATCH/played.raw" "$SCRATCH/track1.raw" || fail "the audio played is not track 1"
grep -v '^$' "$SCRATCH/player.out" && fail "the player said something: $(cat "$SCRATCH/player.out")"
echo "ok"
