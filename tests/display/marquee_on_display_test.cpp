// The marquee on a real X display: its frames go straight onto the window, and a window that is
// covered and uncovered shows the frame last put there, not an older one kept by the toolkit.
#include <gtest/gtest.h>

#include <QBackingStore>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include "components/ScrollingText.h"

namespace {

QImage rgb(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB32);
}

// What the display shows of `area` of `window`.
QImage onScreen(QWidget& window, QRect area) {
    return rgb(window.screen()
                   ->grabWindow(window.winId(), area.x(), area.y(), area.width(), area.height())
                   .toImage());
}

// What the toolkit keeps of `area` of `window` to put back on the display.
QImage inStore(QWidget& window, QRect area) {
    auto* image = static_cast<QImage*>(window.backingStore()->paintDevice());
    return rgb(image->copy(area));
}

TEST(MarqueeOnDisplay, FramesGoStraightToTheWindowAndAnExposureShowsTheLastOne) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QWidget window;
    window.setWindowFlags(Qt::FramelessWindowHint);
    window.setGeometry(100, 100, 240, 40);
    auto* text = new TScrollingText(&window);
    text->setGeometry(30, 12, 177, 14);
    text->setSpeed(0);  // moved by the test alone
    text->setText(QStringLiteral("正在播放 - Anchor Test Disc - 第一首"));
    text->Loaded();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(100);
    const QRect area = text->geometry();
    const QImage first = rgb(text->grab().toImage());
    ASSERT_EQ(onScreen(window, area), first);

    for (int i = 0; i < 90; ++i) text->tick();  // the letters are well into view
    QCoreApplication::processEvents();
    const QImage now = rgb(text->grab().toImage());
    ASSERT_NE(now, first);
    EXPECT_EQ(onScreen(window, area), now);
    // The frame went to the display by itself: the toolkit still keeps the first.
    EXPECT_EQ(inStore(window, area), first);
    // Nothing around the control was touched.
    EXPECT_EQ(onScreen(window, QRect(0, 0, 240, 12)), inStore(window, QRect(0, 0, 240, 12)));

    // Covered and uncovered without a tick in between: the exposure repaints the control too.
    QWidget cover;
    cover.setWindowFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    cover.setGeometry(window.geometry());
    cover.setStyleSheet(QStringLiteral("background: black"));
    cover.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
    QTest::qWait(100);
    cover.hide();
    QTest::qWait(300);
    EXPECT_EQ(onScreen(window, area), now);
    EXPECT_EQ(inStore(window, area), now);
}

}  // namespace
