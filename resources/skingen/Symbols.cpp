#include "Symbols.h"

#include <QPainter>
#include <algorithm>

namespace skingen {

namespace {

// A triangle pointing right (or left), h high, (h + 1) / 2 wide, at x.
void triangle(Shape& s, int x, int y, int h, bool right) {
    const int w = (h + 1) / 2;
    for (int c = 0; c < w; ++c) {
        const int col = right ? x + c : x + w - 1 - c;
        s.push_back(QRect(col, y + c, 1, h - 2 * c));
    }
}

Shape shifted(Shape s, int dx, int dy) {
    for (QRect& r : s) r.translate(dx, dy);
    return s;
}

Shape mirrored(const Shape& s) {
    const QRect b = bounds(s);
    Shape out;
    for (const QRect& r : s)
        out.push_back(QRect(b.left() + b.right() - r.right(), r.top(), r.width(), r.height()));
    return out;
}

}  // namespace

QRect bounds(const Shape& shape) {
    QRect b;
    for (const QRect& r : shape) b = b.united(r);
    return b;
}

Shape symbolShape(Symbol symbol, int h) {
    h = std::max(h, 3);
    const int odd = h | 1;  // triangles look best with an odd height
    const int bar = h >= 7 ? 2 : 1;
    Shape s;
    switch (symbol) {
        case Symbol::Play:
            triangle(s, 0, 0, odd, true);
            break;
        case Symbol::Pause: {
            const int w = std::max(2, (h + 1) / 3);
            s.push_back(QRect(0, 0, w, h));
            s.push_back(QRect(w + std::max(2, h / 4), 0, w, h));
            break;
        }
        case Symbol::Stop:
            s.push_back(QRect(0, 0, h - 1, h - 1));
            break;
        case Symbol::Rewind:
            triangle(s, 0, 0, odd, false);
            triangle(s, (odd + 1) / 2, 0, odd, false);
            break;
        case Symbol::Forward:
            return mirrored(symbolShape(Symbol::Rewind, h));
        case Symbol::Previous:
            s.push_back(QRect(0, 0, bar, odd));
            triangle(s, bar, 0, odd, false);
            triangle(s, bar + (odd + 1) / 2, 0, odd, false);
            break;
        case Symbol::Next:
            return mirrored(symbolShape(Symbol::Previous, h));
        case Symbol::Eject: {
            const int k = (h + 1) / 2;  // the roof: k rows, 2k - 1 wide
            for (int r = 0; r < k; ++r) s.push_back(QRect(k - 1 - r, r, 2 * r + 1, 1));
            s.push_back(QRect(0, k + 1, 2 * k - 1, std::max(1, h - k - 1)));
            break;
        }
        case Symbol::Compact: {  // a slim strip: the compact view
            const int w = h + h / 2 + 2;
            s.push_back(QRect(0, h / 3, w, 1));
            s.push_back(QRect(0, h / 3 + 1, 1, std::max(1, h / 3)));
            s.push_back(QRect(w - 1, h / 3 + 1, 1, std::max(1, h / 3)));
            s.push_back(QRect(0, h / 3 + 1 + std::max(1, h / 3), w, 1));
            break;
        }
        case Symbol::Full: {  // a window with a thick title bar: the full view
            const int w = h + h / 3;
            s.push_back(QRect(0, 0, w, bar + 1));
            s.push_back(QRect(0, bar + 1, 1, h - bar - 1));
            s.push_back(QRect(w - 1, bar + 1, 1, h - bar - 1));
            s.push_back(QRect(0, h - 1, w, 1));
            break;
        }
        case Symbol::Minimize:
            s.push_back(QRect(0, h - bar, h, bar));
            break;
        case Symbol::Close:  // two crossing strokes, `bar` pixels wide
            for (int i = 0; i < h; ++i) {
                s.push_back(QRect(i, i, bar, 1));
                s.push_back(QRect(h - 1 - i, i, bar, 1));
            }
            break;
        case Symbol::Tray: {  // an arrow going down onto a bar
            const int k = (h + 1) / 2;
            const int w = 2 * k - 1;
            const int stem = std::max(1, h - k - 2);
            s.push_back(QRect(k - 1 - bar / 2, 0, bar, stem));
            for (int r = 0; r < k; ++r) s.push_back(QRect(r, stem + r, w - 2 * r, 1));
            s.push_back(QRect(0, h - 1, w, 1));
            break;
        }
    }
    const QRect b = bounds(s);
    return shifted(s, -b.left(), -b.top());
}

namespace {

QPoint origin(const Shape& shape, const QRect& box) {
    const QRect b = bounds(shape);
    return box.topLeft() + QPoint((box.width() - b.width()) / 2, (box.height() - b.height()) / 2);
}

void fill(QImage& image, const Shape& shape, QPoint at, QRgb ink,
          QPainter::CompositionMode mode = QPainter::CompositionMode_Source) {
    QPainter p(&image);
    p.setCompositionMode(mode);
    for (const QRect& r : shape) p.fillRect(r.translated(at), QColor::fromRgba(ink));
}

}  // namespace

void paintShape(QImage& image, const Shape& shape, const QRect& box, QRgb ink) {
    fill(image, shape, origin(shape, box), ink);
}

void paintShape(QImage& image, const Shape& shape, const QRect& box, QRgb ink, QRgb shadow) {
    const QPoint at = origin(shape, box);
    fill(image, shape, at + QPoint(0, 1), shadow, QPainter::CompositionMode_SourceOver);
    fill(image, shape, at, ink);
}

void paintOutlined(QImage& image, const Shape& shape, const QRect& box, QRgb ink, QRgb outline) {
    const QPoint at = origin(shape, box);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx != 0 || dy != 0) fill(image, shape, at + QPoint(dx, dy), outline);
    fill(image, shape, at, ink);
}

}  // namespace skingen
