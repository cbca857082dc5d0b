#!/usr/bin/env bash
# A disc in the drive at start plays by itself from track 1; the close button runs the exit
# sequence.
set -euo pipefail
source "$(dirname "$0")/lib/player.bash"
e2e_setup "$1" "$2"
make_disc
write_settings

start_player
wait_for_command "play CorvinaCD"
sleep 3
exit_player

# Start-up and exit, in order.
cut -f1 "$MCI_LOG" > "$SCRATCH/commands"
head -5 "$SCRATCH/commands" | diff - <(printf '%s\n' \
    "open cdaudio alias CorvinaCD wait shareable" "set CorvinaCD time format tmsf wait" \
    "status CorvinaCD media present" "status CorvinaCD number of tracks" "play CorvinaCD") \
    || fail "start-up commands differ"
tail -3 "$SCRATCH/commands" | diff - <(printf '%s\n' \
    "stop CorvinaCD wait" "set CorvinaCD door open" "close CorvinaCD") \
    || fail "exit commands differ"

# What was played is track 1 from its first sample.
[ -s "$SCRATCH/played.wav" ] || fail "no audio was written"
raw=(-t raw -e signed-integer -b 16 -c 2 -r 44100)
sox "$SCRATCH/played.wav" "${raw[@]}" "$SCRATCH/played.raw" trim 0 2
sox "$SCRATCH/disc/01.wav" "${raw[@]}" "$SCRATCH/track1.raw" trim 0 2
[ "$(stat -c %s "$SCRATCH/played.raw")" -eq 352800 ] || fail "less than 2 s of audio played"
cmp -s "$SCRATCH/played.raw" "$SCRATCH/track1.raw" || fail "the audio played is not track 1"
echo "ok"
