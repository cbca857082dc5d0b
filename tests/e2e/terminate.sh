#!/usr/bin/env bash
# SIGTERM, SIGINT and SIGHUP end the player within two seconds whatever is on screen: a start-up
# error box, the track list, the main menu, nothing at all after a settings file had to be
# replaced. The exit sequence runs once and closes the device last. A corrupt settings file is kept aside, the
# defaults come back, and the next start is quiet.
set -euo pipefail
source "$(dirname "$0")/lib/player.bash"

e2e_setup "$1" "$2"
make_disc
export CORVINA_ERROR_LOG=$SCRATCH/errors.log
REG=$XDG_CONFIG_HOME/Corvina/HKCU.reg

# Sends `signal` and checks that the player ends within 2 s with the device closed last.
end_with() {
    local signal=$1 what=$2 start elapsed status=0
    start=$(date +%s%N)
    kill "-$signal" "$PLAYER_PID"
    for _ in $(seq 40); do kill -0 "$PLAYER_PID" 2>/dev/null || break; sleep 0.05; done
    elapsed=$((($(date +%s%N) - start) / 1000000))
    kill -0 "$PLAYER_PID" 2>/dev/null && fail "$what: still running 2 s after SIG$signal"
    wait "$PLAYER_PID" || status=$?
    PLAYER_PID=
    [ "$status" -eq 0 ] || fail "$what: ended with status $status"
    [ "$elapsed" -le 2000 ] || fail "$what: took $elapsed ms"
    [ "$(tail -1 "$MCI_LOG" | cut -f1)" = "close CorvinaCD" ] || fail "$what: the device was not closed last"
    [ "$(cut -f1 "$MCI_LOG" | grep -c '^close CorvinaCD$')" -eq 1 ] || fail "$what: closed twice"
    echo "$what: ended in $elapsed ms"
}

# --- A corrupt settings file: kept aside, defaults back, said once; SIGTERM ends it.
mkdir -p "$(dirname "$REG")"
printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Velmaro\\Corvina\\4.3]\n"StopOnExit"=dword:zz\n\x01\x02 not a registry line\n' >"$REG"
cp "$REG" "$SCRATCH/damaged.reg"
start_player
sleep 1
end_with TERM "corrupt settings"
grep -q '已恢复默认设置' "$SCRATCH/player.out" || fail "the recovery was not mentioned"
copy=$(ls "$XDG_CONFIG_HOME"/Corvina/HKCU.reg.corrupt-* | head -1)
cmp -s "$copy" "$SCRATCH/damaged.reg" || fail "the damaged file was not kept as it was"
[ ! -s "$SCRATCH/errors.log" ] || fail "errors reported: $(cat "$SCRATCH/errors.log")"

# The next start is quiet and finds the ten defaults.
: >"$MCI_LOG"
start_player
sleep 1
end_with INT "second start"
grep -q 'corrupt\|已恢复' "$SCRATCH/player.out" && fail "the second start spoke: $(cat "$SCRATCH/player.out")"
for name in ShowSplash MinimizeAtStartup CloseAtStartup CloseOnExit EjectOnExit StopOnExit \
    AlwaysOnTop Translucent TranslucentMenu OnlineLookup; do
    grep -q "^\"$name\"=dword:" "$REG" || fail "$name is not in the store"
done
[ "$(ls "$XDG_CONFIG_HOME"/Corvina/HKCU.reg.corrupt-* | wc -l)" -eq 1 ] || fail "another copy was kept"
[ ! -s "$SCRATCH/errors.log" ] || fail "errors reported: $(cat "$SCRATCH/errors.log")"

# --- A modal window on screen (the track list).
write_settings
: >"$MCI_LOG"
start_player
click_at 230 12
for _ in $(seq 50); do
    [ "$(xdotool search --onlyvisible --name '' 2>/dev/null | while read -r w; do
        xdotool getwindowname "$w"; done | grep -vc '^Corvina CD 播放器$')" -gt 0 ] && break
    sleep 0.1
done
sleep 0.5
end_with HUP "track list open"

# --- The main menu open (its own event loop).
: >"$MCI_LOG"
start_player
click_at 14 14
sleep 1
end_with TERM "menu open"

# --- An error box of start-up (a setting of the wrong type), before the main loop runs.
sed -i 's/"ShowSplash"=dword:00000000/"ShowSplash"="0"/' "$REG"
: >"$MCI_LOG"
: >"$SCRATCH/errors.log"
"$PLAYER" >"$SCRATCH/player.out" 2>&1 &
PLAYER_PID=$!
for _ in $(seq 100); do [ -s "$SCRATCH/errors.log" ] && break; sleep 0.1; done
grep -q "Invalid data type for 'ShowSplash'" "$SCRATCH/errors.log" || fail "no start-up error"
sleep 0.5
kill -0 "$PLAYER_PID" || fail "the player ended by itself"
end_with TERM "start-up error box"
echo "ok"
