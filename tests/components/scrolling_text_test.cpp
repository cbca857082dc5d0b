// TScrollingText: fade colours, the text strip and its key colour, movement and enabled state.
#include <gtest/gtest.h>

#include <QBackingStore>
#include <QFont>
#include <QImage>
#include <QPalette>
#include <QSet>
#include <QTest>
#include <QWidget>

#include "components/ScrollingText.h"
#include "platform/ErrorReport.h"

namespace {

const QRgb kFont = qRgb(255, 121, 121);

// Set up as the main window stores its marquee.
void storedSettings(TScrollingText& text) {
    text.setGeometry(144, 6, 177, 12);
    text.setText(QStringLiteral("Tracks"));
    text.setBackgroundColor(clBlack);
    text.setTextDirection(tdRightToLeft);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    text.setFont(font);
    text.setFontColor(7961087);
    text.Loaded();
}

QImage render(TScrollingText& text) {
    QImage image(text.width(), text.height(), QImage::Format_RGB32);
    image.fill(qRgb(9, 9, 9));
    text.renderTo(image);
    return image;
}

// Moves a right-to-left text so that the strip's left edge lands at `position`.
void moveTo(TScrollingText& text, int position) {
    const int jump = text.PixelJump();
    text.setPixelJump(text.ScrollPosition() - position);
    text.tick();
    text.setPixelJump(jump);
    ASSERT_EQ(text.ScrollPosition(), position);
}

QSet<QRgb> colours(const QImage& image, int x0, int x1) {
    QSet<QRgb> set;
    for (int y = 0; y < image.height(); ++y)
        for (int x = x0; x < x1; ++x) set.insert(image.pixel(x, y));
    return set;
}

}  // namespace

TEST(ScrollingText, FadeColoursAndTheFadeBitmap) {
    const QColor black(0, 0, 0), font(kFont), white(255, 255, 255);
    EXPECT_EQ(TScrollingText::fadeColor(1, 15, black, font), black);
    EXPECT_EQ(TScrollingText::fadeColor(15, 15, black, font), font);
    EXPECT_EQ(TScrollingText::fadeColor(8, 15, black, font), QColor(128, 61, 61));
    // Halves round away from zero, also on a falling ramp: 255 - 127.5 -> 127.
    EXPECT_EQ(TScrollingText::fadeColor(2, 3, white, black), QColor(127, 127, 127));
    EXPECT_EQ(TScrollingText::fadeColor(2, 3, black, white), QColor(128, 128, 128));
    EXPECT_EQ(TScrollingText::fadeColor(1, 1, black, white), black);

    TScrollingText text;
    storedSettings(text);
    const QImage& fade = text.fadeBitmap();
    ASSERT_EQ(fade.size(), QSize(177, 12));
    const QRgb columns[][2] = {
        {0, qRgb(0, 0, 0)}, {7, qRgb(128, 61, 61)}, {14, kFont}, {88, kFont}};
    for (const auto& [x, colour] : columns) {
        EXPECT_EQ(fade.pixel(int(x), 11), colour) << x;
        EXPECT_EQ(fade.pixel(176 - int(x), 0), colour) << x;
    }
    text.setEdgeFadeWidth(0);
    EXPECT_EQ(text.fadeBitmap().pixel(0, 5), kFont);

    for (int k : {0, 16}) {
        try {
            TScrollingText::fadeColor(k, 15, black, font);
            ADD_FAILURE() << k;
        } catch (const corvina::Error& e) {
            EXPECT_EQ(e.message(),
                      QStringLiteral("ColorIndex can't be less than 1 or greater than 15"));
        }
    }
}

// The letters take exactly the font colour (no smoothed pixels), whatever key colour the strip
// needs to avoid the font and background colours.
TEST(ScrollingText, LettersShowExactlyTheFontColour) {
    struct Case {
        quint32 font, background;
    };
    for (const Case c : {Case{7961087, clBlack}, Case{clGreen, clBlack}, Case{clRed, clGreen},
                         Case{clGreen, clRed}}) {
        TScrollingText text;
        storedSettings(text);
        text.setFontColor(c.font);
        text.setBackgroundColor(c.background);
        EXPECT_NE(text.keyColor(), corvina::colorFromWin(c.background).rgb());
        moveTo(text, 40 - text.width());  // the text starts at column 40
        const QImage image = render(text);
        EXPECT_EQ(colours(image, 0, 40).size(), 1);
        const QRgb font = corvina::colorFromWin(c.font).rgb();
        const QRgb back = corvina::colorFromWin(c.background).rgb();
        EXPECT_EQ(colours(image, 15, 162), (QSet<QRgb>{back, font}))
            << c.font << " " << c.background;
    }
}

TEST(ScrollingText, MovesAndWrapsInBothDirections) {
    TScrollingText text;
    storedSettings(text);
    const int end = text.width() - text.stripWidth();
    EXPECT_EQ(text.ScrollPosition(), 0);
    text.tick();
    EXPECT_EQ(text.ScrollPosition(), -1);
    moveTo(text, end + 1);
    text.tick();
    EXPECT_EQ(text.ScrollPosition(), 0);  // at the end: back to the right edge at once

    text.setTextDirection(tdLeftToRight);
    EXPECT_EQ(text.ScrollPosition(), end);
    text.setPixelJump(3);
    text.tick();
    EXPECT_EQ(text.ScrollPosition(), end + 3);
    text.setPixelJump(-end - 3);
    text.tick();
    EXPECT_EQ(text.ScrollPosition(), end);
}

TEST(ScrollingText, LeftToRightTextAfterAShorterTextShowsNoBar) {
    TScrollingText text;
    storedSettings(text);
    text.setText(QStringLiteral("a much longer title than before"));
    text.setTextDirection(tdLeftToRight);  // starts at the far end of the long strip
    text.setText(QStringLiteral("A"));
    const QImage image = render(text);
    EXPECT_EQ(colours(image, 0, text.width()), QSet<QRgb>{qRgb(0, 0, 0)});
}

TEST(ScrollingText, DisabledStandsStillAndLetsPressesThrough) {
    int windowPresses = 0, clicks = 0;
    class Window : public QWidget {
    public:
        int* presses = nullptr;
        void mousePressEvent(QMouseEvent*) override { ++*presses; }
    } back;
    back.presses = &windowPresses;
    back.resize(460, 64);
    auto* text = new TScrollingText(&back);
    storedSettings(*text);
    text->OnClick = [&](QObject* sender) {
        EXPECT_EQ(sender, text);
        ++clicks;
    };
    moveTo(*text, 60 - text->width());
    const QImage frame = render(*text);
    text->setEnabled(false);
    back.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&back));
    QTest::qWait(120);  // ticks do nothing while disabled: the frame stays
    EXPECT_EQ(text->ScrollPosition(), 60 - text->width());
    EXPECT_EQ(render(*text), frame);
    QTest::mouseClick(back.windowHandle(), Qt::LeftButton, {}, QPoint(200, 10));
    EXPECT_EQ(windowPresses, 1);
    EXPECT_EQ(clicks, 0);
    text->setEnabled(true);
    QTest::mouseClick(back.windowHandle(), Qt::LeftButton, {}, QPoint(200, 10));
    EXPECT_EQ(windowPresses, 1);
    EXPECT_EQ(clicks, 1);

    text->setVisible(false);  // hiding disables, showing enables again
    EXPECT_FALSE(text->isEnabled());
    text->setVisible(true);
    EXPECT_TRUE(text->isEnabled());

    // The speed is the tick interval: none stops the text, a long one holds it for now, and a
    // short one moves it again. (Left alone, the 50 ms default would move it in each wait.)
    text->setSpeed(0);
    int before = text->ScrollPosition();
    QTest::qWait(200);
    EXPECT_EQ(text->ScrollPosition(), before);
    text->setSpeed(60000);
    QTest::qWait(200);
    EXPECT_EQ(text->ScrollPosition(), before);
    text->setSpeed(20);
    before = text->ScrollPosition();
    QTest::qWait(200);
    EXPECT_LT(text->ScrollPosition(), before);
}

// A moving frame goes straight to the window's backing store where nothing covers the control,
// and through the ordinary repaint where a sibling does: either way the window shows the same
// frame the control renders, and a covering sibling stays on top.
TEST(ScrollingText, FramesReachTheWindowAndLeaveCoveringSiblingsOnTop) {
    QWidget back;
    back.resize(460, 64);
    auto* text = new TScrollingText(&back);
    storedSettings(*text);
    text->setSpeed(0);            // moved by hand only
    moveTo(*text, 100 - text->width());  // before the window has ever painted: nothing to reach
    auto* cover = new QWidget(&back);
    cover->setAutoFillBackground(true);
    QPalette palette = cover->palette();
    palette.setColor(QPalette::Window, QColor(0, 0, 255));
    cover->setPalette(palette);
    cover->setGeometry(text->x() + 20, text->y(), 10, text->height());
    cover->hide();
    back.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&back));
    QCoreApplication::processEvents();

    const auto shown = [&] {
        auto* store = static_cast<QImage*>(back.backingStore()->paintDevice());
        return store->copy(text->geometry()).convertToFormat(QImage::Format_RGB32);
    };
    for (int position : {90 - text->width(), 60 - text->width(), 5 - text->width()}) {
        moveTo(*text, position);
        EXPECT_EQ(shown(), render(*text)) << position;
    }

    cover->show();
    QCoreApplication::processEvents();
    moveTo(*text, 40 - text->width());
    const QImage withCover = shown();
    const QImage frame = render(*text);
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            const bool covered = x >= 20 && x < 30;
            ASSERT_EQ(withCover.pixel(x, y), covered ? qRgb(0, 0, 255) : frame.pixel(x, y))
                << x << "," << y;
        }
    }
}
