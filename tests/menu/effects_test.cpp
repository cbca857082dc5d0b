// The arithmetic of the menu's effects: the opacity table, the fade's steps and the shadow's
// darkening, on small images.
#include <gtest/gtest.h>

#include "menu/Effects.h"
#include "platform/ErrorReport.h"

namespace am2000 {
namespace {

QImage filled(int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

TEST(RoundHalfEven, RoundsToNearestAndHalvesToEven) {
    EXPECT_EQ(roundHalfEven(5, 10), 0);
    EXPECT_EQ(roundHalfEven(15, 10), 2);
    EXPECT_EQ(roundHalfEven(25, 10), 2);
    EXPECT_EQ(roundHalfEven(26, 10), 3);
    EXPECT_EQ(roundHalfEven(-8, 16), 0);   // -0.5
    EXPECT_EQ(roundHalfEven(-24, 16), -2); // -1.5
    EXPECT_EQ(roundHalfEven(-9, 16), -1);
    EXPECT_EQ(roundHalfEven(-255, 16), -16);
}

TEST(OpacityTable, BlendsThePercentOfTheWayFromBackgroundToMenu) {
    T_AM2000_OpacityTable table;
    table.build(88);
    EXPECT_EQ(table.opacity(), 88);
    EXPECT_EQ(table.at(255, 0), 224);  // 224.4
    EXPECT_EQ(table.at(0, 255), 31);   // 30.6
    EXPECT_EQ(table.at(77, 77), 77);
    table.build(100);
    for (int v : {0, 1, 128, 255}) EXPECT_EQ(table.at(v, 255 - v), v);
}

TEST(OpacityTable, ExactHalvesGoToTheEvenNeighbour) {
    T_AM2000_OpacityTable table;
    table.build(50);
    EXPECT_EQ(table.at(1, 0), 0);    // 0.5
    EXPECT_EQ(table.at(3, 0), 2);    // 1.5
    EXPECT_EQ(table.at(0, 5), 2);    // 2.5
    EXPECT_EQ(table.at(0, 7), 4);    // 3.5
    table.build(10);
    EXPECT_EQ(table.at(25, 0), 2);   // 2.5
    EXPECT_EQ(table.at(35, 0), 4);   // 3.5
}

TEST(OpacityTable, BlendsImagesByteByByteAndKeepsThemOpaque) {
    T_AM2000_OpacityTable table;
    table.build(88);
    const QImage shown =
        table.blend(filled(3, 2, qRgb(255, 0, 100)), filled(3, 2, qRgb(0, 255, 100)));
    EXPECT_EQ(shown.pixel(2, 1), qRgb(224, 31, 100));
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 255);
}

TEST(Bits, AskingForTheBackgroundBeforeItIsSetIsAnError) {
    T_AM2000_Bits bits(filled(2, 2, qRgb(1, 2, 3)));
    EXPECT_FALSE(bits.hasBackground());
    try {
        bits.background();
        FAIL() << "no error";
    } catch (const corvina::Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Background data not set."));
    }
    EXPECT_THROW(bits.prepareFade(), corvina::Error);
    bits.setBackground(filled(2, 2, qRgb(0, 0, 0)));
    EXPECT_NO_THROW(bits.prepareFade());
}

TEST(Bits, DeltasAreSixteenthsRoundedAndPaddingStaysPut) {
    T_AM2000_Bits bits(filled(1, 1, qRgb(255, 8, 0)));
    bits.setBackground(filled(1, 1, qRgb(0, 0, 24)));
    bits.prepareFade();
    // Bytes B, G, R, padding: (0-24)/16 = -1.5 -> -2; 8/16 = 0.5 -> 0; 255/16 -> 16; 0.
    EXPECT_EQ(bits.delta(), (std::vector<std::int8_t>{-2, 0, 16, 0}));
    EXPECT_EQ(bits.output().pixel(0, 0), qRgb(0, 0, 24));
    for (int i = 0; i < 15; ++i) bits.stepFade();
    // Clamped at 0 and 255 on the way.
    EXPECT_EQ(bits.output().pixel(0, 0), qRgb(240, 0, 0));
    bits.stepFade();
    EXPECT_EQ(bits.output().pixel(0, 0), qRgb(255, 0, 0));
}

int framesUntilOver(T_AM2000_Fade& fade) {
    int frames = 0;
    while (fade.step()) ++frames;
    return frames;
}

TEST(Fade, FullOpacityTakesFifteenFramesThenReleasesItsBuffers) {
    T_AM2000_Fade fade;
    fade.start(filled(4, 3, qRgb(255, 255, 255)), filled(4, 3, qRgb(0, 0, 0)), 100);
    EXPECT_TRUE(fade.running());
    EXPECT_EQ(fade.counter(), 1);
    EXPECT_EQ(fade.output().pixel(0, 0), qRgb(0, 0, 0));
    int frames = 0;
    QRgb last = 0;
    while (fade.step()) {
        ++frames;
        last = fade.output().pixel(3, 2);
    }
    EXPECT_EQ(frames, 15);
    EXPECT_EQ(last, qRgb(240, 240, 240));  // 15 of 16 steps; the normal paint shows the rest
    EXPECT_FALSE(fade.running());
    EXPECT_TRUE(fade.output().isNull());
}

TEST(Fade, EightyEightPercentStopsAfterFourteenFrames) {
    T_AM2000_Fade fade;
    fade.start(filled(2, 2, qRgb(255, 255, 255)), filled(2, 2, qRgb(0, 0, 0)), 88);
    EXPECT_EQ(framesUntilOver(fade), 14);  // 14 < 16 x 0.88 = 14.08
    fade.start(filled(2, 2, qRgb(255, 255, 255)), filled(2, 2, qRgb(0, 0, 0)), 87);
    EXPECT_EQ(framesUntilOver(fade), 13);  // 14 >= 13.92
    fade.start(filled(2, 2, qRgb(255, 255, 255)), filled(2, 2, qRgb(0, 0, 0)), 1);
    EXPECT_EQ(framesUntilOver(fade), 0);
}

TEST(Darken, TableRoundsNinthsToNearest) {
    EXPECT_EQ(darken(255, 9), 255);
    EXPECT_EQ(darken(255, 5), 142);  // 141.67
    EXPECT_EQ(darken(100, 8), 89);   // 88.9
    EXPECT_EQ(darken(0, 5), 0);
}

// The k of k / 9 applied to each of a strip's pixels (255 beneath gives 255 x k / 9).
std::vector<std::vector<int>> factors(const QImage& strip) {
    std::vector<std::vector<int>> rows;
    for (int y = 0; y < strip.height(); ++y) {
        std::vector<int> row;
        for (int x = 0; x < strip.width(); ++x) {
            const int v = qRed(strip.pixel(x, y));
            int k = 0;
            for (int f = 1; f <= 9; ++f)
                if (darken(255, f) == v) k = f;
            row.push_back(k);
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(Shadow, SevenRowRightStripHasOneMiddleRow) {
    QImage strip = filled(4, 7, qRgb(255, 255, 255));
    darkenRightStrip(strip);
    const std::vector<std::vector<int>> expected = {{8, 8, 8, 9}, {7, 7, 8, 8}, {6, 6, 7, 8},
                                                    {5, 6, 7, 8}, {6, 6, 7, 8}, {7, 7, 8, 8},
                                                    {8, 8, 8, 9}};
    EXPECT_EQ(factors(strip), expected);
    // Every colour byte is darkened alike; the picture stays opaque.
    EXPECT_EQ(strip.pixel(0, 3), qRgb(142, 142, 142));
}

TEST(Shadow, ShortRightStripsTakeTheEndPatternsFromBothEnds) {
    QImage strip = filled(4, 3, qRgb(255, 255, 255));
    darkenRightStrip(strip);
    const std::vector<std::vector<int>> expected = {{8, 8, 8, 9}, {7, 7, 8, 8}, {8, 8, 8, 9}};
    EXPECT_EQ(factors(strip), expected);
}

TEST(Shadow, BottomStripSoftensItsLeftEndAndTruncatesTheRest) {
    QImage strip = filled(7, 4, qRgb(100, 100, 100));
    darkenBottomStrip(strip);
    // The top row lies against the menu (row 3 from the bottom): 8, 7, 6, 5 at its left end,
    // then (100 div 9) x 5 = 55.
    EXPECT_EQ(qRed(strip.pixel(0, 0)), darken(100, 8));
    EXPECT_EQ(qRed(strip.pixel(3, 0)), darken(100, 5));
    EXPECT_EQ(qRed(strip.pixel(4, 0)), 55);
    EXPECT_EQ(qRed(strip.pixel(6, 1)), 66);  // row 2: x 6
    EXPECT_EQ(qRed(strip.pixel(6, 3)), 88);  // row 0: x 8
    EXPECT_EQ(qRed(strip.pixel(0, 3)), 100); // row 0 begins with 9 / 9
    EXPECT_EQ(qBlue(strip.pixel(2, 2)), darken(100, 7));
}

}  // namespace
}  // namespace am2000
