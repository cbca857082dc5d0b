# Shared set-up of the end-to-end scripts: a private configuration, runtime folder and disc, the
# player started in the background, and helpers that wait for it.
# Usage: source this file, then `e2e_setup "$1" "$2"`.

e2e_setup() {
    PLAYER=$1
    SCRATCH=$2
    rm -rf "$SCRATCH"
    mkdir -p "$SCRATCH/disc" "$SCRATCH/config/Corvina" "$SCRATCH/data" "$SCRATCH/runtime"
    chmod 700 "$SCRATCH/runtime"
    export XDG_CONFIG_HOME=$SCRATCH/config
    export XDG_DATA_HOME=$SCRATCH/data
    export XDG_RUNTIME_DIR=$SCRATCH/runtime
    export CORVINA_DISC=$SCRATCH/disc
    export CORVINA_AUDIO=wav:$SCRATCH/played.wav
    export CORVINA_MCI_LOG=$SCRATCH/mci.log
    MCI_LOG=$CORVINA_MCI_LOG
    # The discs are unnamed, and no test asks a real name server: one that looks discs up
    # names its own fake server.
    export XDG_CACHE_HOME=$SCRATCH/cache
    export CORVINA_MUSICBRAINZ_URL= CORVINA_COVERART_URL= CORVINA_GNUDB_URL=
    PLAYER_PID=
    trap e2e_cleanup EXIT
}

# A private session bus for the player and the test's clients, ended with the test.
start_session_bus() {
    eval "$(dbus-daemon --session --fork --print-address=1 --print-pid=1 |
        { read -r address; read -r pid; echo "export DBUS_SESSION_BUS_ADDRESS='$address' BUS_PID=$pid"; })"
    trap 'e2e_cleanup; kill "$BUS_PID" 2>/dev/null || true' EXIT
}

# The player's media controls, as the desktop sees them (needs start_session_bus).
mpris() { playerctl -p corvina "$@" 2>/dev/null || true; }
# Waits (up to `MPRIS_WAIT` tenths of a second, 100 unless set) until `playerctl ARGS` prints
# `want`.
wait_for() {
    local want=$1
    shift
    for _ in $(seq "${MPRIS_WAIT:-100}"); do
        [ "$(mpris "$@")" = "$want" ] && return 0
        sleep 0.1
    done
    fail "playerctl $* gave '$(mpris "$@")', not '$want'"
}

e2e_cleanup() {
    if [ -n "${PLAYER_PID:-}" ] && kill -0 "$PLAYER_PID" 2>/dev/null; then
        kill "$PLAYER_PID" 2>/dev/null || true
        wait "$PLAYER_PID" 2>/dev/null || true
    fi
}

fail() {
    echo "FAIL: $*" >&2
    [ -f "$MCI_LOG" ] && { echo "--- command log" >&2; cut -f1,2 "$MCI_LOG" >&2; }
    [ -s "$SCRATCH/player.out" ] && { echo "--- player output" >&2; tail -40 "$SCRATCH/player.out" >&2; }
    exit 1
}

# Three audio tracks of CD format, each clearly different.
make_disc() {
    local synth=(-r 44100 -b 16 -c 2 -e signed-integer)
    sox -n "${synth[@]}" "$SCRATCH/disc/01.wav" synth 6 sine 440 sine 554 gain -6
    sox -n "${synth[@]}" "$SCRATCH/disc/02.wav" synth 6 triangle 330 gain -6
    sox -n "${synth[@]}" "$SCRATCH/disc/03.wav" synth 6 square 220 gain -12
}

# The settings key as a previous run left it, with the splash off.
write_settings() {
    cat > "$XDG_CONFIG_HOME/Corvina/HKCU.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Velmaro\Corvina\4.3]
"ShowSplash"=dword:00000000
"MinimizeAtStartup"=dword:00000000
"CloseAtStartup"=dword:00000001
"CloseOnExit"=dword:00000001
"EjectOnExit"=dword:00000001
"StopOnExit"=dword:00000001
"AlwaysOnTop"=dword:00000001
"Translucent"=dword:00000000
"TranslucentMenu"=dword:00000001
REG
}

start_player() {
    "$PLAYER" >"$SCRATCH/player.out" 2>&1 &
    PLAYER_PID=$!
    for _ in $(seq 300); do
        WINDOW=$(xdotool search --onlyvisible --name '^Corvina CD' 2>/dev/null | head -1 || true)
        [ -n "$WINDOW" ] && return 0
        kill -0 "$PLAYER_PID" 2>/dev/null || fail "the player ended at start"
        sleep 0.1
    done
    fail "no player window appeared"
}

# Waits until the command log holds `count` (default 1) lines for exactly this command.
wait_for_command() {
    local command=$1 count=${2:-1}
    for _ in $(seq 100); do
        [ "$(cut -f1 "$MCI_LOG" 2>/dev/null | grep -cxF -- "$command")" -ge "$count" ] && return 0
        sleep 0.1
    done
    fail "'$command' was not sent ($count times)"
}

# Clicks at (x, y) of the player window.
click_at() {
    eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
    xdotool mousemove $((X + $1)) $((Y + $2)) click 1
}

# Clicks the close button and waits for the player to end.
exit_player() {
    click_at 448 8
    for _ in $(seq 100); do
        if ! kill -0 "$PLAYER_PID" 2>/dev/null; then
            local status=0
            wait "$PLAYER_PID" || status=$?
            PLAYER_PID=
            [ "$status" -eq 0 ] || { cat "$SCRATCH/player.out" >&2; fail "the player ended with $status"; }
            return 0
        fi
        sleep 0.1
    done
    fail "the player did not end after its close button"
}
