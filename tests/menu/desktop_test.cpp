// The capture cache: what is read from the screen, when, and what later requests are served
// from.
#include <gtest/gtest.h>

#include <QPainter>

#include "menu/Desktop.h"

namespace am2000 {
namespace {

// A fake screen of 400 x 300 whose content the test changes between captures (as menus appear).
class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        screen_ = QImage(400, 300, QImage::Format_RGB32);
        screen_.fill(qRgb(10, 20, 30));
        desktop_.setScreenSource([this](const QRect& r) {
            asked_.push_back(r);
            return refuse_ ? QImage() : screen_.copy(r);
        });
    }
    void paint(const QRect& r, QRgb colour) {
        QPainter(&screen_).fillRect(r, QColor::fromRgb(colour));
    }

    T_AM2000_Desktop desktop_;
    QImage screen_;
    std::vector<QRect> asked_;
    bool refuse_ = false;
};

TEST_F(DesktopTest, CapturesAreEnlargedByTwentyPixelsAndReusedWhileTheyContainTheRequest) {
    const QImage first = desktop_.capture(QRect(100, 100, 50, 40));
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0], QRect(80, 80, 90, 80));
    EXPECT_EQ(first.size(), QSize(50, 40));
    EXPECT_EQ(first.pixel(0, 0), qRgb(10, 20, 30));

    // The shadow's strips and the same rectangle again lie inside the first capture.
    paint(QRect(0, 0, 400, 300), qRgb(200, 0, 0));
    EXPECT_EQ(desktop_.capture(QRect(150, 104, 4, 40)).pixel(3, 39), qRgb(10, 20, 30));
    EXPECT_EQ(desktop_.capture(QRect(100, 100, 50, 40)).size(), QSize(50, 40));
    EXPECT_EQ(desktop_.screenReads(), 1);
    EXPECT_EQ(desktop_.captures().size(), 1u);
}

TEST_F(DesktopTest, EarlierCapturesArePaintedOverNewOnesSoOpenMenusStayInvisible) {
    desktop_.capture(QRect(100, 100, 50, 40));  // sees 80..169 x 80..159
    // The menu appears on the screen; a submenu beside it asks for an overlapping rectangle.
    paint(QRect(100, 100, 50, 40), qRgb(255, 255, 255));
    paint(QRect(190, 110, 10, 10), qRgb(0, 255, 0));  // something new beyond the first capture
    const QImage sub = desktop_.capture(QRect(140, 110, 60, 30));
    ASSERT_EQ(desktop_.screenReads(), 2);
    EXPECT_EQ(sub.pixel(0, 0), qRgb(10, 20, 30));  // under the menu: from the first capture
    EXPECT_EQ(sub.pixel(55, 0), qRgb(0, 255, 0));  // beyond it: from the screen
    ASSERT_EQ(desktop_.captures().size(), 2u);
    EXPECT_EQ(desktop_.captures()[1].rect, QRect(120, 90, 100, 70));

    // The newest capture that holds a request serves it.
    paint(QRect(0, 0, 400, 300), qRgb(1, 1, 1));
    EXPECT_EQ(desktop_.capture(QRect(190, 110, 5, 5)).pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(desktop_.screenReads(), 2);
}

TEST_F(DesktopTest, TheCacheEmptiesWhenTheLastMenuWindowClosesUnlessKeptOnce) {
    desktop_.windowShown();
    desktop_.prepare(QRect(10, 10, 5, 5));
    EXPECT_TRUE(desktop_.capture(QRect()).isNull());  // an empty request reads nothing
    desktop_.windowShown();
    desktop_.windowHidden();
    EXPECT_EQ(desktop_.captures().size(), 1u);

    desktop_.setKeepOnce(true);
    desktop_.windowHidden();
    EXPECT_EQ(desktop_.shownWindows(), 0);
    EXPECT_EQ(desktop_.captures().size(), 1u);
    EXPECT_FALSE(desktop_.keepOnce());

    desktop_.release();
    EXPECT_TRUE(desktop_.captures().empty());
}

TEST_F(DesktopTest, ARefusedCaptureGivesNothingUntilTheCacheIsEmptied) {
    refuse_ = true;
    EXPECT_TRUE(desktop_.capture(QRect(10, 10, 5, 5)).isNull());
    EXPECT_FALSE(desktop_.canCapture());
    refuse_ = false;
    EXPECT_TRUE(desktop_.capture(QRect(10, 10, 5, 5)).isNull());
    EXPECT_EQ(desktop_.screenReads(), 1);  // not asked again within one popup
    desktop_.release();
    EXPECT_TRUE(desktop_.canCapture());
    EXPECT_FALSE(desktop_.capture(QRect(10, 10, 5, 5)).isNull());
}

}  // namespace
}  // namespace am2000
