#!/usr/bin/env bash
# Runs a command on a private virtual X display of 1024 x 768 and ends the display after it.
# Usage: on-display.sh COMMAND [ARGUMENTS...]
#
# The X server picks the display number itself (-displayfd): it takes the first number whose
# sockets, the file one and the abstract one, are all free, and writes it only once it accepts
# connections. Choosing the number here from lock files in /tmp raced with tests started at the
# same moment and missed servers of other containers, which share the abstract sockets but not
# /tmp.
#
# -noreset: by default the server starts over whenever its last client leaves, and a client
# connecting at that moment is turned away. A test's first `xdotool search` often leaves while
# the player is still starting, and the player then ended with "could not connect to display".
set -euo pipefail

work=$(mktemp -d "${TMPDIR:-/tmp}/on-display.XXXXXX")
server=
cleanup() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
mkfifo "$work/number"

Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$work/number" 2>"$work/server.log" &
server=$!
if ! read -r -t 60 number <"$work/number" || [ -z "$number" ]; then
    echo "on-display: the X server did not start" >&2
    cat "$work/server.log" >&2
    exit 1
fi

# The server needs no cookie: a stale XAUTHORITY of the caller must not be offered to it.
unset XAUTHORITY
status=0
DISPLAY=:$number "$@" || status=$?
exit "$status"
