#include "Canvas.h"

#include <QConicalGradient>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

namespace skingen {

QImage canvas(int width, int height, QRgb fill) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(fill);
    return image;
}

QColor mix(const QColor& a, const QColor& b, double t) {
    auto lerp = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(lerp(a.red(), b.red()), lerp(a.green(), b.green()), lerp(a.blue(), b.blue()),
                  lerp(a.alpha(), b.alpha()));
}

void pixelArt(QImage& image, int x, int y, std::initializer_list<const char*> rows,
              const std::map<char, QRgb>& inks) {
    int row = 0;
    for (const char* line : rows) {
        for (int col = 0; line[col] != '\0'; ++col) {
            auto ink = inks.find(line[col]);
            const QPoint p(x + col, y + row);
            if (ink != inks.end() && image.rect().contains(p)) image.setPixel(p, ink->second);
        }
        ++row;
    }
}

Gel redGel() {
    return {QColor(255, 112, 112), QColor(178, 4, 22), QColor(255, 96, 96), QColor(96, 0, 12)};
}

Gel darkGel() {
    return {QColor(176, 48, 60), QColor(86, 0, 14), QColor(200, 60, 70), QColor(70, 0, 10), 120};
}

void paintGel(QPainter& painter, const QRectF& rect, qreal radius, const Gel& gel) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath body;
    body.addRoundedRect(rect, radius, radius);
    QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
    fill.setColorAt(0, gel.top);
    fill.setColorAt(0.5, mix(gel.top, gel.bottom, 0.7));
    fill.setColorAt(1, gel.bottom);
    painter.fillPath(body, fill);

    painter.setClipPath(body);
    QRadialGradient glow(QPointF(rect.center().x(), rect.bottom()), rect.width() * 0.6);
    QColor glowEnd = gel.glow;
    glowEnd.setAlpha(0);
    glow.setColorAt(0, gel.glow);
    glow.setColorAt(1, glowEnd);
    painter.fillRect(rect, glow);

    const qreal inset = std::max<qreal>(1.5, rect.width() * 0.12);
    QRectF shine(rect.left() + inset, rect.top() + 1, rect.width() - 2 * inset,
                 rect.height() * 0.46);
    QPainterPath gloss;
    gloss.addRoundedRect(shine, radius * 0.8, radius * 0.6);
    QLinearGradient light(shine.topLeft(), shine.bottomLeft());
    light.setColorAt(0, QColor(255, 255, 255, gel.gloss));
    light.setColorAt(1, QColor(255, 255, 255, gel.gloss / 5));
    painter.fillPath(gloss, light);
    painter.setClipping(false);

    QPainterPath rim;
    rim.addRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
    painter.setPen(QPen(gel.rim, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(rim);
    painter.restore();
}

namespace {

constexpr int kCovered = 128;

QRgb over(QRgb src, QRgb dst) {
    const int a = qAlpha(src);
    auto ch = [a](int s, int d) { return (s * a + d * (255 - a) + 127) / 255; };
    return qRgb(ch(qRed(src), qRed(dst)), ch(qGreen(src), qGreen(dst)), ch(qBlue(src), qBlue(dst)));
}

}  // namespace

QImage keyOut(const QImage& argb, QRgb key, const QImage& under, QPoint at) {
    const QImage src = argb.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y) {
        for (int x = 0; x < src.width(); ++x) {
            const QRgb s = src.pixel(x, y);
            const QPoint p = at + QPoint(x, y);
            const QRgb d = under.rect().contains(p) ? under.pixel(p) : qRgb(255, 128, 128);
            out.setPixel(x, y, qAlpha(s) >= kCovered ? over(s, d) : key);
        }
    }
    return out;
}

QImage keyOut(const QImage& argb, QRgb key) {
    const QImage src = argb.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) {
            const QRgb s = src.pixel(x, y);
            out.setPixel(x, y, qAlpha(s) >= kCovered ? (s | 0xFF000000u) : key);
        }
    return out;
}

namespace {

using Vec = std::array<int, 4>;  // a, r, g, b

Vec channels(QRgb c) {
    return {qAlpha(c), qRed(c), qGreen(c), qBlue(c)};
}

struct Entry {
    QRgb colour;
    int count;
};

// Median cut over the colours with their pixel counts.
std::vector<QRgb> medianCut(std::vector<Entry> entries, int wanted) {
    struct Box {
        std::vector<Entry> entries;
        int widest = 0;
        int range = 0;
        long weight = 0;
    };
    auto measure = [](Box& box) {
        Vec lo{255, 255, 255, 255}, hi{0, 0, 0, 0};
        box.weight = 0;
        for (const Entry& e : box.entries) {
            const Vec v = channels(e.colour);
            for (int i = 0; i < 4; ++i) {
                lo[i] = std::min(lo[i], v[i]);
                hi[i] = std::max(hi[i], v[i]);
            }
            box.weight += e.count;
        }
        box.range = -1;
        for (int i = 0; i < 4; ++i)
            if (hi[i] - lo[i] > box.range) box.range = hi[i] - lo[i], box.widest = i;
    };
    std::vector<Box> boxes(1);
    boxes[0].entries = std::move(entries);
    measure(boxes[0]);
    while (int(boxes.size()) < wanted) {
        // Split the box whose spread matters most: its range weighted by its pixels.
        auto pick = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
            return double(a.range) * std::sqrt(double(a.weight)) <
                   double(b.range) * std::sqrt(double(b.weight));
        });
        if (pick->entries.size() < 2 || pick->range <= 0) break;
        const int ch = pick->widest;
        std::sort(pick->entries.begin(), pick->entries.end(), [ch](const Entry& a, const Entry& b) {
            return channels(a.colour)[ch] < channels(b.colour)[ch];
        });
        long half = pick->weight / 2, seen = 0;
        size_t cut = 1;
        for (size_t i = 0; i + 1 < pick->entries.size(); ++i) {
            seen += pick->entries[i].count;
            cut = i + 1;
            if (seen >= half) break;
        }
        Box upper;
        upper.entries.assign(pick->entries.begin() + long(cut), pick->entries.end());
        pick->entries.resize(cut);
        measure(*pick);
        measure(upper);
        boxes.push_back(std::move(upper));
    }
    std::vector<QRgb> palette;
    for (const Box& box : boxes) {
        double sum[4] = {0, 0, 0, 0};
        for (const Entry& e : box.entries) {
            const Vec v = channels(e.colour);
            for (int i = 0; i < 4; ++i) sum[i] += double(v[i]) * e.count;
        }
        auto avg = [&](int i) { return int(std::lround(sum[i] / double(box.weight))); };
        palette.push_back(qRgba(avg(1), avg(2), avg(3), avg(0)));
    }
    return palette;
}

int distance(const Vec& a, const Vec& b) {
    int d = 0;
    for (int i = 0; i < 4; ++i) d += (a[i] - b[i]) * (a[i] - b[i]);
    return d;
}

}  // namespace

QImage reduce(const QImage& source, int colours, bool dither) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, image.height() - 1);
    std::unordered_map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ++counts[image.pixel(x, y)];

    std::vector<QRgb> palette{key};
    if (int(counts.size()) <= colours) {
        for (const auto& [colour, count] : counts)
            if (colour != key) palette.push_back(colour);
        std::sort(palette.begin() + 1, palette.end());
        dither = false;
    } else {
        std::vector<Entry> entries;
        for (const auto& [colour, count] : counts)
            if (colour != key) entries.push_back({colour, count});
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) { return a.colour < b.colour; });
        for (QRgb c : medianCut(std::move(entries), colours - 1))
            if (c != key) palette.push_back(c);
    }

    QImage out(image.size(), QImage::Format_Indexed8);
    out.setColorTable(QList<QRgb>(palette.begin(), palette.end()));
    auto nearest = [&](const Vec& v) {
        int best = 1, bestDistance = INT32_MAX;
        for (int i = 1; i < int(palette.size()); ++i) {
            const int d = distance(v, channels(palette[size_t(i)]));
            if (d < bestDistance) best = i, bestDistance = d;
        }
        return best;
    };
    // Error carried to the next row and pixel (Floyd-Steinberg), colour channels only.
    std::vector<std::array<double, 3>> errNow(size_t(image.width()) + 2),
        errNext(size_t(image.width()) + 2);
    std::unordered_map<QRgb, int> cache;
    for (int y = 0; y < image.height(); ++y) {
        std::fill(errNext.begin(), errNext.end(), std::array<double, 3>{0, 0, 0});
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (c == key) {
                out.setPixel(x, y, 0);
                continue;
            }
            int index;
            if (!dither) {
                auto hit = cache.find(c);
                index = hit != cache.end() ? hit->second : (cache[c] = nearest(channels(c)));
            } else {
                auto& e = errNow[size_t(x) + 1];
                Vec v = channels(c);
                for (int i = 0; i < 3; ++i)
                    v[size_t(i) + 1] =
                        std::clamp(int(std::lround(v[size_t(i) + 1] + e[size_t(i)])), 0, 255);
                index = nearest(v);
                const Vec got = channels(palette[size_t(index)]);
                for (size_t i = 0; i < 3; ++i) {
                    const double err = v[i + 1] - got[i + 1];
                    errNow[size_t(x) + 2][i] += err * 7 / 16;
                    errNext[size_t(x)][i] += err * 3 / 16;
                    errNext[size_t(x) + 1][i] += err * 5 / 16;
                    errNext[size_t(x) + 2][i] += err * 1 / 16;
                }
            }
            out.setPixel(x, y, uint(index));
        }
        std::swap(errNow, errNext);
    }
    return out;
}

}  // namespace skingen

namespace skingen {

void paintDisc(QPainter& p, const QRectF& r) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPointF c = r.center();
    const qreal radius = r.width() / 2;
    // Light caught in the pits: two bright sweeps of pinks with a hint of violet.
    QConicalGradient face(c, 30);
    const QColor silver(226, 218, 226), pink(255, 160, 182), red(214, 44, 76), pale(255, 250, 246),
        violet(206, 160, 226);
    const QColor stops[] = {silver, violet, pink, pale, red, silver};
    for (int half = 0; half < 2; ++half)
        for (int i = 0; i < 6; ++i) face.setColorAt(half * 0.5 + i * 0.09, stops[i]);
    face.setColorAt(1.0, silver);
    p.setPen(QPen(QColor(120, 40, 56), std::max<qreal>(1, radius / 14)));
    p.setBrush(face);
    p.drawEllipse(r.adjusted(0.5, 0.5, -0.5, -0.5));
    // Hub: a clear plastic ring, then the hole.
    p.setPen(QPen(QColor(150, 120, 130), std::max<qreal>(1, radius / 24)));
    p.setBrush(QColor(250, 236, 240, 230));
    p.drawEllipse(c, radius * 0.34, radius * 0.34);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(c, radius * 0.13, radius * 0.13);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setPen(QPen(QColor(150, 120, 130), std::max<qreal>(1, radius / 24)));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, radius * 0.13, radius * 0.13);
    p.restore();
}

}  // namespace skingen
