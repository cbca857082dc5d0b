#!/usr/bin/env bash
# A rip left in the virtual drive is in it again at the next start and plays from track 1; once
# it has been deleted, the next start finds an empty drive and says so once, in a notice after the
# window is up.
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

# Third start, the rip deleted: an empty drive, and a notice once, not one per tick. The notice
# comes after the main window is on screen and does not hold the player up: it polls on.
rm -rf "$SCRATCH/disc"
rm -f "$MCI_LOG"
"$PLAYER" >"$SCRATCH/player.out" 2>&1 &
PLAYER_PID=$!
main=
notice=
for _ in $(seq 100); do
    for id in $(xdotool search --onlyvisible --name '^Corvina CD 播放器$' 2>/dev/null || true); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        if [ "$WIDTH"x"$HEIGHT" = 460x64 ]; then
            main=$id
        elif [ -z "$main" ]; then
            fail "the notice came before the main window"
        else
            notice=$id
        fi
    done
    [ -n "$notice" ] && break
    sleep 0.1
done
[ -n "$main" ] || fail "no main window"
[ -n "$notice" ] || fail "no notice on screen: $(cat "$SCRATCH/player.out")"
import -window root "$SCRATCH/notice.png"
polls=$(grep -c '^status CorvinaCD media present' "$MCI_LOG")
sleep 3
[ "$(grep -c '^status CorvinaCD media present' "$MCI_LOG")" -ge $((polls + 2)) ] ||
    fail "the player stopped polling behind the notice"
[ "$(grep -c '唱片' "$SCRATCH/player.out")" -eq 1 ] || fail "expected one notice: $(cat "$SCRATCH/player.out")"
grep -q "$SCRATCH/disc" "$SCRATCH/player.out" || fail "the notice does not name the rip"
[ ! -s "$SCRATCH/errors.log" ] || fail "told as an error: $(cat "$SCRATCH/errors.log")"
grep -q $'^status CorvinaCD media present\t0\tfalse' "$MCI_LOG" || fail "the drive is not empty: $(cut -f1,2,3 "$MCI_LOG" | head -5)"
! cut -f1 "$MCI_LOG" | grep -qx "play CorvinaCD" || fail "something played"
# The notice lies over the window: end the player through its signal handler.
kill -TERM "$PLAYER_PID"
wait "$PLAYER_PID" || fail "the player did not end cleanly"
PLAYER_PID=
[ ! -e "$XDG_CONFIG_HOME/Corvina/VirtualDisc" ] || fail "the gone rip is still remembered"
echo "ok"
