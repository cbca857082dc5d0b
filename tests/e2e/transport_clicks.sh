#!/usr/bin/env bash
# Clicks on the pause, play and next buttons of the full view send their commands.
set -euo pipefail
source "$(dirname "$0")/lib/player.bash"
e2e_setup "$1" "$2"
make_disc
write_settings

start_player
wait_for_command "play CorvinaCD"
sleep 1.5

click_at 187 31   # CorvinaPause
wait_for_command "stop CorvinaCD wait"
click_at 160 31   # CorvinaPlay
wait_for_command "play CorvinaCD" 2
click_at 337 31   # CorvinaNext, while playing
wait_for_command "play CorvinaCD from 2"
sleep 1.2
grep -q "^status CorvinaCD length track 02"$'\t' "$MCI_LOG" || fail "the poll did not follow to track 2"
exit_player
echo "ok"
