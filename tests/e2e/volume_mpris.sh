#!/usr/bin/env bash
# The desktop's media controls see and set the volume bar: a real MPRIS client (playerctl) on a
# private session bus reads the bar's value and moves it, and the CD line follows.
set -euo pipefail
source "$(dirname "$0")/lib/player.bash"
e2e_setup "$1" "$2"
make_disc
write_settings

start_session_bus

start_player
wait_for_command "play CorvinaCD"
volume() { playerctl -p corvina volume 2>/dev/null || true; }
for _ in $(seq 50); do [ -n "$(volume)" ] && break; sleep 0.1; done
[ "$(volume)" = "1.000000" ] || fail "the volume is '$(volume)', not full"

playerctl -p corvina volume 0.5
for _ in $(seq 30); do
    grep -qx 'Left=32768' "$XDG_CONFIG_HOME/Corvina/Mixer.conf" 2>/dev/null && break
    sleep 0.1
done
grep -qx 'Left=32768' "$XDG_CONFIG_HOME/Corvina/Mixer.conf" || fail "the CD line did not follow"
grep -qx 'Right=32768' "$XDG_CONFIG_HOME/Corvina/Mixer.conf" || fail "one channel only"
for _ in $(seq 30); do [ "$(volume)" = "0.500008" ] && break; sleep 0.1; done
[ "$(volume)" = "0.500008" ] || fail "the volume reads '$(volume)' after setting it"
exit_player
echo "ok"
