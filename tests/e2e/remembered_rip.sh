#!/usr/bin/env bash
# A rip left in the virtual drive is in it again at the next start and plays from track 1; once
# it has been deleted, the next start finds an empty drive and says so once.
set -euo pipefail
source "$(dirname "$0")/lib/player.bash"
e2e_setup "$1" "$2"
make_disc
write_settings
export CORVINA_ERROR_LOG=$SCRATCH/errors.log

# First start: the rip named by CORVINA_DISC.
start_player
wait_for_command "play CorvinaCD"
sleep 1
exit_player
grep -qxF "$SCRATCH/disc" "$XDG_CONFIG_HOME/Corvina/VirtualDisc" || fail "the rip was not remembered"

# Second start, without CORVINA_DISC, on a machine without a CD drive: the same rip plays.
unset CORVINA_DISC
rm -f "$MCI_LOG" "$SCRATCH/played.wav"
start_player
wait_for_command "play CorvinaCD"
sleep 3
exit_player
[ ! -s "$SCRATCH/errors.log" ] || fail "errors: $(cat "$SCRATCH/errors.log")"
raw=(-t raw -e signed-integer -b 16 -c 2 -r 44100)
sox "$SCRATCH/played.wav" "${raw[@]}" "$SCRATCH/played.raw" trim 0 2
sox "$SCRATCH/disc/01.wav" "${raw[@]}" "$SCRATCH/track1.raw" trim 0 2
cmp -s "$SCRATCH/played.raw" "$SCRATCH/track1.raw" || fail "the remembered rip's track 1 did not play"

# Third start, the rip deleted: an empty drive, one message, not one per tick.
rm -rf "$SCRATCH/disc"
rm -f "$MCI_LOG"
"$PLAYER" >"$SCRATCH/player.out" 2>&1 &
PLAYER_PID=$!
for _ in $(seq 100); do
    [ -s "$SCRATCH/errors.log" ] && break
    sleep 0.1
done
sleep 3
[ "$(grep -c '唱片' "$SCRATCH/errors.log")" -eq 1 ] || fail "expected one message: $(cat "$SCRATCH/errors.log")"
grep -q "$SCRATCH/disc" "$SCRATCH/errors.log" || fail "the message does not name the rip"
grep -q $'^status CorvinaCD media present\t0\tfalse' "$MCI_LOG" || fail "the drive is not empty: $(cut -f1,2,3 "$MCI_LOG" | head -5)"
! cut -f1 "$MCI_LOG" | grep -qx "play CorvinaCD" || fail "something played"
# The message box is on screen: end the player through its signal handler.
kill -TERM "$PLAYER_PID"
wait "$PLAYER_PID" || fail "the player did not end cleanly"
PLAYER_PID=
[ ! -e "$XDG_CONFIG_HOME/Corvina/VirtualDisc" ] || fail "the gone rip is still remembered"
echo "ok"
