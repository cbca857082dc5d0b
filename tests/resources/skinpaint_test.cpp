// The skin generator's helpers: colour reduction must keep the key colour exact and never map
// another colour onto it, keying must leave no half-transparent blend of the key, and the
// symbols must come out as mirror images where the controls are mirror images.
#include <gtest/gtest.h>

#include <QSet>

#include "resources/skingen/Canvas.h"
#include "resources/skingen/Symbols.h"

namespace {

using namespace skingen;

constexpr QRgb kKey = 0xFFFF00FF;

// A picture of many colours, some of them close to the key, with the key in its bottom-left
// quarter.
QImage busyPicture() {
    QImage image(40, 30, QImage::Format_ARGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) image.setPixel(x, y, qRgb(x * 6, y * 8, 255 - x * 3));
    for (int x = 0; x < 40; ++x) image.setPixel(x, 3, qRgb(250, 4, 250));  // nearly the key
    for (int y = 20; y < 30; ++y)
        for (int x = 0; x < 10; ++x) image.setPixel(x, y, kKey);
    return image;
}

TEST(SkinPaint, ReductionKeepsTheKeyExactAndApart) {
    for (bool dither : {false, true}) {
        SCOPED_TRACE(dither ? "dithered" : "plain");
        const QImage source = busyPicture();
        const QImage reduced = reduce(source, 16, dither);
        ASSERT_EQ(reduced.format(), QImage::Format_Indexed8);
        EXPECT_LE(reduced.colorCount(), 16);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const bool wasKey = source.pixel(x, y) == kKey;
                ASSERT_EQ(reduced.pixel(x, y) == kKey, wasKey) << x << "," << y;
            }
    }
}

TEST(SkinPaint, ReductionKeepsFewColoursExactly) {
    QImage source(8, 8, QImage::Format_ARGB32);
    const QRgb colours[] = {kKey, qRgb(255, 128, 128), qRgb(128, 0, 0), qRgb(1, 2, 3),
                            qRgba(10, 20, 30, 0)};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) source.setPixel(x, y, colours[(x + y) % 5]);
    const QImage reduced = reduce(source, 16);
    EXPECT_EQ(reduced.colorCount(), 5);
    EXPECT_EQ(reduced.convertToFormat(QImage::Format_ARGB32), source);
}

TEST(SkinPaint, ReductionOfLargeArtworkStaysWithinItsPalette) {
    QImage source(120, 80, QImage::Format_ARGB32);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x) source.setPixel(x, y, qRgb(x * 2, y * 3, (x * y) % 256));
    const QImage reduced = reduce(source, 256, true);
    EXPECT_LE(reduced.colorCount(), 256);
    // Dithering spreads the error but keeps the picture: the average colour barely moves.
    double before = 0, after = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x) {
            before += qRed(source.pixel(x, y)) + qGreen(source.pixel(x, y));
            after += qRed(reduced.pixel(x, y)) + qGreen(reduced.pixel(x, y));
        }
    EXPECT_NEAR(after / before, 1.0, 0.02);
}

TEST(SkinPaint, KeyingLeavesNoHalfBlends) {
    QImage art = canvas(20, 20);
    QPainter p(&art);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(QColor(200, 20, 40));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(1.3, 1.3, 17, 17));
    p.end();
    QImage under(30, 30, QImage::Format_RGB32);
    under.fill(qRgb(255, 128, 128));
    for (const QImage& keyed : {keyOut(art, kKey), keyOut(art, kKey, under, QPoint(5, 5))}) {
        EXPECT_FALSE(keyed.hasAlphaChannel());
        QSet<QRgb> colours;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) {
                const QRgb c = keyed.pixel(x, y);
                if (qAlpha(art.pixel(x, y)) < 128)
                    EXPECT_EQ(c, kKey) << x << "," << y;
                else
                    EXPECT_NE(c, kKey) << x << "," << y;
                colours.insert(c);
            }
        EXPECT_TRUE(colours.contains(qRgb(200, 20, 40)));
    }
    // Against a background the edge blends into that background, not into the key.
    const QImage blended = keyOut(art, kKey, under, QPoint(5, 5));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            if (blended.pixel(x, y) != kKey) {
                EXPECT_GE(qGreen(blended.pixel(x, y)), 20);
            }
}

TEST(SkinPaint, SymbolsStartAtTheOriginAndMirrorEachOther) {
    for (int size = 5; size <= 11; ++size) {
        SCOPED_TRACE(size);
        for (Symbol s :
             {Symbol::Play, Symbol::Pause, Symbol::Stop, Symbol::Previous, Symbol::Rewind,
              Symbol::Forward, Symbol::Next, Symbol::Eject, Symbol::Compact, Symbol::Full,
              Symbol::Minimize, Symbol::Close, Symbol::Tray}) {
            const QRect b = bounds(symbolShape(s, size));
            EXPECT_EQ(b.topLeft(), QPoint(0, 0));
            EXPECT_LE(b.height(), size + 1);
        }
        auto pixels = [](Symbol s, int size, bool mirror) {
            const Shape shape = symbolShape(s, size);
            const int w = bounds(shape).width();
            QSet<QPair<int, int>> set;
            for (const QRect& r : shape)
                for (int y = r.top(); y <= r.bottom(); ++y)
                    for (int x = r.left(); x <= r.right(); ++x)
                        set.insert({mirror ? w - 1 - x : x, y});
            return set;
        };
        EXPECT_EQ(pixels(Symbol::Forward, size, false), pixels(Symbol::Rewind, size, true));
        EXPECT_EQ(pixels(Symbol::Next, size, false), pixels(Symbol::Previous, size, true));
    }
}

}  // namespace
