#!/usr/bin/env bash
# The player copied alone into another folder starts, shows its frameless 460 x 64 window, and
# ends through its exit sequence when its window is asked to close.
set -euo pipefail
player=$1
scratch=$2
rm -rf "$scratch" && mkdir -p "$scratch/alone" "$scratch/config" "$scratch/data"
cp "$player" "$scratch/alone/corvina"

export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
export CORVINA_DISC= CORVINA_AUDIO=null CORVINA_MCI_LOG=$scratch/mci.log
export CORVINA_ERROR_LOG=$scratch/errors.log
"$scratch/alone/corvina" >"$scratch/out.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

window=""
for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --name '^Corvina CD 播放器' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] || { echo "no main window appeared"; cat "$scratch/out.log"; exit 1; }

geometry=$(xdotool getwindowgeometry "$window" | awk '/Geometry/ {print $2}')
[ "$geometry" = "460x64" ] || { echo "window is $geometry, expected 460x64"; exit 1; }

# A termination request (logout, kill) closes the window; the exit sequence ends the process
# after closing the device.
kill -TERM $pid
for _ in $(seq 1 50); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.2
done
if kill -0 $pid 2>/dev/null; then echo "player did not end on close"; exit 1; fi
trap - EXIT
[ ! -s "$scratch/errors.log" ] || { echo "errors reported:"; cat "$scratch/errors.log"; exit 1; }
if [ -s "$scratch/mci.log" ] && ! tail -1 "$scratch/mci.log" | grep -q '^close CorvinaCD'; then
    echo "the device was not closed last:"; cat "$scratch/mci.log"; exit 1
fi
echo "foundation e2e: ok"
