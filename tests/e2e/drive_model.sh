#!/usr/bin/env bash
# The whole player on the model of a drive that reads in real time (CORVINA_DRIVE_MODEL over a
# cue/bin image): a 1.5 s spin-up, the quiet speed, seeks, a scratch that costs the drive 3 s a
# command, a USB drive unplugged and plugged back, and an exit while the drive retries a sector.
# What is heard is the capture file; its growth, looked at every 20 ms, says when sound comes.
set -euo pipefail
source "$(dirname "$0")/lib/player.bash"
e2e_setup "$1" "$2"
write_settings
unset CORVINA_DISC

# Track 1: 12 s of one tone; track 2: 30 s of another, unreadable for a second 10 s into it.
raw=(-t raw -e signed-integer -b 16 -c 2 -r 44100)
sox -n "${raw[@]}" "$SCRATCH/t1.raw" synth 12 sine 440 gain -6
sox -n "${raw[@]}" "$SCRATCH/t2.raw" synth 30 sine 660 gain -6
cat "$SCRATCH/t1.raw" "$SCRATCH/t2.raw" > "$SCRATCH/disc/image.bin"
cat > "$SCRATCH/disc/image.cue" <<'CUE'
FILE "image.bin" BINARY
  TRACK 01 AUDIO
    INDEX 01 00:00:00
  TRACK 02 AUDIO
    INDEX 01 00:12:00
CUE
track2=$((150 + 12 * 75))
scratch=$((track2 + 10 * 75))
touch "$SCRATCH/plugged"
export CORVINA_DRIVE=$SCRATCH/disc/image.cue
export CORVINA_DRIVE_MODEL="spinup=1.5,seek=0.1-0.3,fail=$scratch-$((scratch + 75)),failcost=3,plug=$SCRATCH/plugged"

now() { date +%s.%N; }
wav_size() { stat -c %s "$SCRATCH/played.wav" 2>/dev/null || echo 0; }
# When sound went on again after `since`: the capture grows by 0.3 s of audio beyond its size
# 50 ms after `since`, less those 0.3 s. Prints seconds after `since`.
sound_after() {
    local since=$1 base grown=$((44100 * 4 * 3 / 10))
    sleep 0.05
    base=$(wav_size)
    for _ in $(seq 250); do
        if [ $(($(wav_size) - base)) -ge "$grown" ]; then
            echo "$(now) - $since - 0.3" | bc -l
            return 0
        fi
        sleep 0.02
    done
    echo 99
}
within_two() { [ "$(echo "$1 <= 2.0" | bc -l)" -eq 1 ]; }

start_player
# The start-up tick plays the disc once the drive has read its TOC.
for _ in $(seq 200); do
    grep -q $'^play CorvinaCD\t' "$MCI_LOG" 2>/dev/null && break
    sleep 0.02
done
played=$(now)
first=$(sound_after "$played")
within_two "$first" || fail "the first sound came $first s after play"

# The next track, 4 s in: track 1 is read ahead, track 2 is not yet.
sleep 3.5
clicked=$(now)
click_at 337 31
next=$(sound_after "$clicked")
within_two "$next" || fail "the next track sounded $next s after the click"
wait_for_command "play CorvinaCD from 2"

# Through the scratch (10 s into track 2) and on.
sleep 14
grep -q $'status CorvinaCD position\t0\t02:00:1[2-9]' "$MCI_LOG" || fail "track 2 did not play past its scratch"

# Unplugged: an empty drive within two seconds; plugged back: found again, and its disc plays.
rm "$SCRATCH/plugged"
unplugged=$(now)
for _ in $(seq 40); do
    tail -5 "$MCI_LOG" | cut -f1,3 | grep -q $'status CorvinaCD media present\tfalse' && break
    sleep 0.1
done
tail -5 "$MCI_LOG" | cut -f1,3 | grep -q $'status CorvinaCD media present\tfalse' ||
    fail "the unplugged drive still showed its disc"
[ "$(echo "$(now) - $unplugged <= 2.5" | bc -l)" -eq 1 ] || fail "the unplugged drive emptied late"
plays=$(cut -f1 "$MCI_LOG" | grep -cx "play CorvinaCD")
touch "$SCRATCH/plugged"
wait_for_command "play CorvinaCD" $((plays + 1))
replugged=$(sound_after "$(now)")
within_two "$replugged" || fail "the disc plugged back in sounded $replugged s after play"

# An exit while the drive retries a sector: to track 2, then ten seconds on, into the scratch.
click_at 337 31   # CorvinaNext
sleep 0.3
click_at 306 31   # CorvinaForward
sleep 0.7
asked=$(now)
exit_player
took=$(echo "$(now) - $asked" | bc -l)
[ "$(echo "$took <= 2.0" | bc -l)" -eq 1 ] || fail "the exit took $took s"
grep -q "did not finish in time" "$SCRATCH/player.out" && fail "the exit needed the watchdog"

# The capture: every silence but the last (the exit's, in the scratch) is the scratch's once,
# about a second long, with sound after it.
python3 - "$SCRATCH/played.wav" <<'PY' || fail "the capture is not what was played"
import struct, sys, wave
w = wave.open(sys.argv[1])
data = w.readframes(w.getnframes())
left = struct.unpack("<%dh" % (len(data) // 2), data)[0::2]
runs, start = [], None
for i, v in enumerate(left + (1,)):
    if v == 0:
        start = i if start is None else start
    else:
        if start is not None and i - start > 4410:
            runs.append((start / 44100, (i - start) / 44100, i < len(left)))
        start = None
print("silences:", ["%.2f s at %.2f s" % (n, at) for at, n, _ in runs], file=sys.stderr)
inner = [r for r in runs if r[2]]
if len(inner) < 1 or not 1.0 <= inner[0][1] <= 2.0:
    sys.exit("the scratch's silence is not a second or so")
PY
echo "ok: first sound $first s, next $next s, plugged back $replugged s, exit $took s"
