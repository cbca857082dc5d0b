#pragma once
// Drawing helpers shared by the pictures: pixel art from text, glossy "gel" faces, crisp
// symbols built from whole pixels, keying out, and colour reduction.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <initializer_list>
#include <map>
#include <vector>

namespace skingen {

// A transparent ARGB32 canvas.
QImage canvas(int width, int height, QRgb fill = 0);

QColor mix(const QColor& a, const QColor& b, double t);

// Pixel art: one string per row, one character per pixel; characters missing from `inks` (such
// as '.') leave the pixel alone.
void pixelArt(QImage& image, int x, int y, std::initializer_list<const char*> rows,
              const std::map<char, QRgb>& inks);

// A glossy, rounded face: a vertical gradient from `top` to `bottom`, a soft glow rising from the
// bottom edge, a gloss over the upper half and a one-pixel rim.
struct Gel {
    QColor top, bottom, glow, rim;
    int gloss = 210;  // opacity of the gloss at its top
};
Gel redGel();   // the transport buttons
Gel darkGel();  // the window buttons' plates
void paintGel(QPainter& painter, const QRectF& rect, qreal radius, const Gel& gel);

// Turns an anti-aliased ARGB picture into an opaque one with a key colour: pixels at least
// half covered are blended over `under` (the picture that will lie beneath it, taken at `at`),
// the rest become the key. So edges are smooth against the real background and no pixel is a
// near-key blend.
QImage keyOut(const QImage& argb, QRgb key, const QImage& under, QPoint at);
// The same without a background: covered pixels keep their own colour at full opacity.
QImage keyOut(const QImage& argb, QRgb key);

// Reduces a picture to at most `colours` palette entries (an Indexed8 image). A picture with few
// enough colours keeps them exactly; otherwise a median cut picks the palette. The colour of the
// bottom-left pixel (the key colour of every keyed picture) always stays exact and no other
// colour is mapped onto it. `dither` spreads the rounding error (for large artwork).
QImage reduce(const QImage& image, int colours, bool dither = false);

}  // namespace skingen

namespace skingen {
// A compact disc: a silvery face with pink and red reflections, a clear hub ring and a hole
// (left transparent).
void paintDisc(QPainter& painter, const QRectF& rect);
}  // namespace skingen
