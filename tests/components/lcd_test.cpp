// TLCD: size rule, strip handling, value reduction and the drawn cells.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <climits>

#include "components/LCD.h"

namespace {

// Cell k of the test strip is filled with cellColor(k); the strip's bottom-left pixel is black,
// which is what the control takes for its background. Cell 10 differs from cell 0 here, so a
// padding blank can be told from a zero.
QRgb cellColor(int k) {
    return qRgb(20 + 20 * k, 200 - 10 * k, 7 * k);
}

QImage makeStrip(int cellWidth = 9, int height = 13, int extraColumns = 0) {
    QImage strip(11 * cellWidth + extraColumns, height, QImage::Format_RGB32);
    strip.fill(qRgb(1, 2, 3));  // only the surplus columns keep this colour
    for (int k = 0; k < 11; ++k)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < cellWidth; ++x) strip.setPixel(k * cellWidth + x, y, cellColor(k));
    strip.setPixel(0, height - 1, qRgb(0, 0, 0));
    return strip;
}

QImage render(TLCD& lcd) {
    QImage image(lcd.width(), lcd.height(), QImage::Format_RGB32);
    image.fill(qRgb(255, 255, 255));
    lcd.renderTo(image);
    return image;
}

// The strip cell shown at display position i (read from the centre of the cell).
int shownCell(const QImage& image, const TLCD& lcd, int i) {
    const int x = lcd.Margin() + i * (lcd.digitWidth() + lcd.Margin()) + lcd.digitWidth() / 2;
    const QRgb c = image.pixel(x, lcd.Margin() + lcd.digitHeight() / 2);
    for (int k = 0; k < 11; ++k)
        if (c == cellColor(k)) return k;
    return -1;
}

// Set up as the main window stores its three LCDs.
void storedSettings(TLCD& lcd) {
    lcd.setDigits(makeStrip());
    lcd.setColor(0x02000000);
    lcd.setLength(2);
    lcd.setGeometry(49, 8, 24, 17);
}

}  // namespace

TEST(LCD, StoredSettingsGiveTheComputedSizeWhateverIsRequested) {
    TLCD lcd;
    storedSettings(lcd);
    EXPECT_EQ(lcd.geometry(), QRect(49, 8, 24, 17));
    lcd.setGeometry(10, 20, 100, 3);
    EXPECT_EQ(lcd.geometry(), QRect(10, 20, 24, 17));
    EXPECT_TRUE(lcd.testAttribute(Qt::WA_OpaquePaintEvent));

    // A new strip brings its own key colour (plus the palette-relative flag); no picture: ignored.
    QImage strip = makeStrip();
    strip.setPixel(0, 12, qRgb(255, 0, 0));
    lcd.setDigits(strip);
    EXPECT_EQ(lcd.Color(), 0x020000FFu);
    lcd.setDigits(QImage());
    EXPECT_EQ(lcd.Color(), 0x020000FFu);
}

TEST(LCD, ValuesOnTwoCells) {
    TLCD lcd;
    storedSettings(lcd);
    struct Case {
        int value, stored, left, right;  // left/right: strip cells shown (10 = padding)
    };
    const Case cases[] = {{0, 0, 10, 0},   {5, 5, 10, 5},  {59, 59, 5, 9},     {100, 0, 10, 0},
                          {123, 23, 2, 3}, {-7, 7, 10, 7}, {INT_MIN, 48, 4, 8}};
    for (const Case& c : cases) {
        lcd.setValue(c.value);
        EXPECT_EQ(lcd.Value(), c.stored) << c.value;
        const QImage image = render(lcd);
        EXPECT_EQ(shownCell(image, lcd, 0), c.left) << c.value;
        EXPECT_EQ(shownCell(image, lcd, 1), c.right) << c.value;
        EXPECT_EQ(image.pixel(11, 8), qRgb(0, 0, 0));  // the gap shows the background
    }
}

TEST(LCD, CellsAreCopiedAtTheirOwnSizeAndSurplusColumnsAreIgnored) {
    TLCD lcd;
    lcd.setLength(2);
    lcd.setDigits(makeStrip(9, 13, 1));  // 100 pixels wide
    EXPECT_EQ(lcd.digitWidth(), 9);
    EXPECT_EQ(lcd.size(), QSize(24, 17));
    lcd.setValue(99);  // cell 9 sits right next to the surplus column
    const QImage image = render(lcd);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            ASSERT_NE(image.pixel(x, y), qRgb(1, 2, 3)) << x << "," << y;
            const bool inCell = y >= 2 && y < 15 && ((x >= 2 && x < 11) || (x >= 13 && x < 22));
            EXPECT_EQ(image.pixel(x, y) == cellColor(9), inCell) << x << "," << y;
        }
}

TEST(LCD, BeforeAnyStripOnlyTheBackgroundIsPainted) {
    TLCD lcd;
    lcd.setColor(clRed);
    EXPECT_EQ(lcd.size(), QSize(2 + 4 * 2, 4));
    lcd.setValue(1234);
    const QImage image = render(lcd);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) EXPECT_EQ(image.pixel(x, y), qRgb(255, 0, 0));
}

TEST(LCD, LoweringLengthKeepsTheStoredValueAndShowsItsFirstDigits) {
    TLCD lcd;
    lcd.setDigits(makeStrip());
    lcd.setValue(123);
    EXPECT_EQ(lcd.Value(), 123);
    lcd.setLength(2);
    EXPECT_EQ(lcd.Value(), 123);
    const QImage image = render(lcd);
    EXPECT_EQ(shownCell(image, lcd, 0), 1);
    EXPECT_EQ(shownCell(image, lcd, 1), 2);
    lcd.setValue(123);
    EXPECT_EQ(lcd.Value(), 23);
}

TEST(LCD, OnlyAChangedValueIsPaintedAgain) {
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    TLCD lcd;
    storedSettings(lcd);
    lcd.setValue(7);
    lcd.show();
    QApplication::processEvents();
    lcd.installEventFilter(&counter);
    for (int second = 0; second < 5; ++second) {
        lcd.setValue(7);
        lcd.setValue(107);  // the same two cells
        QApplication::processEvents();
    }
    EXPECT_EQ(counter.paints, 0);
    lcd.setValue(8);
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
}
