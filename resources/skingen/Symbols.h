#pragma once
// The player's symbols (play, pause, ...) built from whole-pixel rectangles, so they stay crisp
// at every size from the 13 x 11 compact buttons up to the menu pictures.
#include <QImage>
#include <QRect>
#include <vector>

namespace skingen {

enum class Symbol {
    Play,
    Pause,
    Stop,
    Previous,
    Rewind,
    Forward,
    Next,
    Eject,
    Compact,
    Full,
    Minimize,
    Close,
    Tray
};

using Shape = std::vector<QRect>;

// The symbol `size` pixels high (about: each symbol rounds to its own best proportions), with its
// top-left corner at (0, 0).
Shape symbolShape(Symbol symbol, int size);
QRect bounds(const Shape& shape);

// Paints the shape centred in `box`, optionally with a drop shadow one pixel below.
void paintShape(QImage& image, const Shape& shape, const QRect& box, QRgb ink);
void paintShape(QImage& image, const Shape& shape, const QRect& box, QRgb ink, QRgb shadow);
// The shape with a one-pixel outline all round (for pictures on unknown backgrounds).
void paintOutlined(QImage& image, const Shape& shape, const QRect& box, QRgb ink, QRgb outline);

}  // namespace skingen
