#!/usr/bin/env bash
# On a high-density screen (QT_SCALE_FACTOR=2) the skin doubles and the text in 宋体 is drawn at
# full size: the status word's glyphs are about twice as tall as at ratio 1, not the 12-pixel
# bitmap glyphs spread over twice the pitch.
set -euo pipefail
source "$(dirname "$0")/lib/player.bash"
e2e_setup "$1" "$2"
write_settings
export CORVINA_DISC=  # an empty drive: the status label says "无碟"

# The height of the status word's glyphs (maroon pixels) in the label's area, in screen pixels.
glyph_height() {
    local ratio=$1 x y
    eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
    import -window root "$SCRATCH/ratio$ratio.png"
    convert "$SCRATCH/ratio$ratio.png" -crop "$((60 * ratio))x$((14 * ratio))+$((X + 30 * ratio))+$((Y + 45 * ratio))" \
        +repage "$SCRATCH/status$ratio.png"
    convert "$SCRATCH/status$ratio.png" -fuzz 25% -fill white +opaque 'rgb(128,0,0)' \
        -fill black -opaque 'rgb(128,0,0)' -trim -format '%h' info:
}

run() {
    local ratio=$1
    QT_SCALE_FACTOR=$ratio start_player
    sleep 1
    local size
    size=$(xdotool getwindowgeometry "$WINDOW" | awk '/Geometry/ {print $2}')
    [ "$size" = "$((460 * ratio))x$((64 * ratio))" ] || fail "at ratio $ratio the window is $size"
    HEIGHT[$ratio]=$(glyph_height "$ratio")
    click_at $((448 * ratio)) $((8 * ratio))  # the close button
    for _ in $(seq 100); do kill -0 "$PLAYER_PID" 2>/dev/null || break; sleep 0.1; done
    wait "$PLAYER_PID" || fail "the player at ratio $ratio did not end cleanly"
    PLAYER_PID=
}

declare -A HEIGHT
run 1
run 2
echo "status glyph height: ${HEIGHT[1]} px at ratio 1, ${HEIGHT[2]} px at ratio 2"
[ "${HEIGHT[1]}" -ge 9 ] || fail "no status text found at ratio 1"
[ "$((HEIGHT[2] * 10))" -ge "$((HEIGHT[1] * 17))" ] ||
    fail "the text at ratio 2 is ${HEIGHT[2]} px high, not about twice ${HEIGHT[1]} px"
echo "ok"
