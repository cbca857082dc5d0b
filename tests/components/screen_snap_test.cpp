// Edge snapping: the usable area, the four rules, and the component on a window that the
// window system moves.
#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <QWindow>

#include "components/ScreenSnap.h"
#include "platform/ErrorReport.h"
#include "platform/shell/FakeWorkArea.h"
#include "platform/shell/PointerButtons.h"

namespace corvina {
namespace {

using shell::EdgeRect;

constexpr int W = 1024;
constexpr int H = 768;
const QSize kScreen(W, H);
const EdgeRect kWholeScreen{0, 0, W, H};

TEST(SnapArea, ATaskbarAlongOneEdgeCutsThatEdge) {
    EXPECT_EQ(snapArea({-2, H - 30, W + 2, H + 2}, kScreen), (EdgeRect{0, 0, W, H - 30}));
    EXPECT_EQ(snapArea({-2, -2, W + 2, 30}, kScreen), (EdgeRect{0, 30, W, H}));
    EXPECT_EQ(snapArea({-2, -2, 60, H + 2}, kScreen), (EdgeRect{60, 0, W, H}));
    EXPECT_EQ(snapArea({W - 60, -2, W + 2, H + 2}, kScreen), (EdgeRect{0, 0, W - 60, H}));
}

TEST(SnapArea, ATaskbarThatDoesNotReachTwoPixelsBeyondCutsNothing) {
    EXPECT_EQ(snapArea({0, H - 30, W, H}, kScreen), kWholeScreen);  // flush with the edges
    EXPECT_EQ(snapArea({-2, H - 30, W + 2, H + 1}, kScreen), kWholeScreen);
    EXPECT_EQ(snapArea({-1, H - 30, W + 2, H + 2}, kScreen), kWholeScreen);
    EXPECT_EQ(snapArea({}, kScreen), kWholeScreen);
    // Along the bottom and reaching the top too: the bottom test comes first.
    EXPECT_EQ(snapArea({-2, -2, W + 2, H + 2}, kScreen), (EdgeRect{0, 0, W, -2}));
}

TEST(SnapPosition, NearTheTaskbarSnapsAtThresholdStays) {
    const EdgeRect area = snapArea({-2, H - 30, W + 2, H + 2}, kScreen);
    // The window's bottom edge 5 pixels above the task bar: pulled down onto it.
    EXPECT_EQ(snapPosition(area, QRect(300, H - 30 - 5 - 64, 460, 64), 10),
              QPoint(300, H - 30 - 64));
    // 10 pixels above (exactly the threshold): left where it is; 9: snapped.
    EXPECT_EQ(snapPosition(area, QRect(300, H - 30 - 10 - 64, 460, 64), 10),
              QPoint(300, H - 30 - 10 - 64));
    EXPECT_EQ(snapPosition(area, QRect(300, H - 30 - 9 - 64, 460, 64), 10),
              QPoint(300, H - 30 - 64));
    // Without the task bar cut, the same window comes to rest under the task bar's place.
    EXPECT_EQ(snapPosition(kWholeScreen, QRect(300, H - 5 - 64, 460, 64), 10), QPoint(300, H - 64));
}

TEST(SnapPosition, EachEdgeAndWindowsOutsideTheArea) {
    EXPECT_EQ(snapPosition(kWholeScreen, QRect(5, 300, 460, 64), 10), QPoint(0, 300));
    EXPECT_EQ(snapPosition(kWholeScreen, QRect(10, 300, 460, 64), 10), QPoint(10, 300));
    EXPECT_EQ(snapPosition(kWholeScreen, QRect(300, 9, 460, 64), 10), QPoint(300, 0));
    EXPECT_EQ(snapPosition(kWholeScreen, QRect(W - 460 - 9, 300, 460, 64), 10),
              QPoint(W - 460, 300));
    // Half outside the left edge, wholly below the screen (a second monitor below).
    EXPECT_EQ(snapPosition(kWholeScreen, QRect(-230, 300, 460, 64), 10), QPoint(0, 300));
    EXPECT_EQ(snapPosition(kWholeScreen, QRect(2000, 1500, 460, 64), 10), QPoint(W - 460, H - 64));
    // Far from every edge: untouched.
    EXPECT_EQ(snapPosition(kWholeScreen, QRect(300, 300, 460, 64), 10), QPoint(300, 300));
}

TEST(SnapPosition, TooLargeForTheAreaTheRightAndBottomRulesWin) {
    const EdgeRect small{0, 0, 400, 50};
    EXPECT_EQ(snapPosition(small, QRect(100, 100, 460, 64), 10), QPoint(400 - 460, 50 - 64));
    // A negative threshold only pulls back windows that are past an edge by more than it.
    EXPECT_EQ(snapPosition(kWholeScreen, QRect(-3, 300, 460, 64), -5), QPoint(-3, 300));
}

// A frameless window with a snap on a fake 1024 x 768 screen.
class ScreenSnapTest : public ::testing::Test {
protected:
    void SetUp() override {
        form_ = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
        form_->setObjectName(QStringLiteral("FormMain"));
        form_->setGeometry(200, 200, 460, 64);
        snap_ = new TScreenSnap(form_.get());
        snap_->Threshold = 10;
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    }
    // Moves the window the way the window manager does: on the native window, reported back.
    void systemMove(QPoint to) {
        form_->windowHandle()->setPosition(to);
        ASSERT_TRUE(comesTo(to)) << "the window system did not move the window";
    }
    // Waits until the window is at `to`.
    bool comesTo(QPoint to) {
        return QTest::qWaitFor([&] { return form_->pos() == to; }, 2000);
    }
    void waitForMoveToEnd() { QTest::qWait(TScreenSnap::kSettleMs * 3); }

    shell::FakeWorkArea area_;
    shell::FakePointerButtons buttons_;
    std::unique_ptr<QWidget> form_;
    TScreenSnap* snap_ = nullptr;
};

TEST_F(ScreenSnapTest, DefaultsAndBothConstructionErrors) {
    TScreenSnap* snap = snap_;
    EXPECT_TRUE(snap->Active);
    QWidget other;
    EXPECT_EQ(TScreenSnap(&other).Threshold, 30);

    try {
        new TScreenSnap(form_.get());
        FAIL() << "a second snap was created";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("TScreenSnap component cannot be duplicated in FormMain"));
    }
    // Not registered with the form: the form still holds exactly one.
    EXPECT_EQ(form_->findChildren<TScreenSnap*>().size(), 1);

    const QString notAForm = QStringLiteral("Owner of TScreenSnap component must be a form!");
    try {
        TScreenSnap snapWithout(nullptr);
        FAIL() << "created without an owner";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), notAForm);
    }
    QObject plain;
    QWidget child(form_.get());
    for (QObject* owner : {&plain, static_cast<QObject*>(&child)}) {
        try {
            TScreenSnap snapOnNoForm(owner);
            FAIL() << "created on " << owner->metaObject()->className();
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), notAForm);
        }
        EXPECT_TRUE(owner->findChildren<TScreenSnap*>().isEmpty());
    }
}

TEST_F(ScreenSnapTest, AMoveByTheWindowSystemSnapsWhenThePointerIsReleased) {
    buttons_.setHeld(Qt::LeftButton);
    systemMove(QPoint(5, 300));
    waitForMoveToEnd();
    EXPECT_EQ(form_->pos(), QPoint(5, 300)) << "snapped during the drag";
    buttons_.setHeld(Qt::NoButton);
    EXPECT_TRUE(comesTo(QPoint(0, 300))) << form_->pos().x() << "," << form_->pos().y();
}

TEST_F(ScreenSnapTest, TheTaskbarKeepsTheWindowAboveIt) {
    area_.setPanel(Qt::BottomEdge, 30);
    systemMove(QPoint(300, H - 30 - 64 - 5));
    EXPECT_TRUE(comesTo(QPoint(300, H - 30 - 64))) << form_->pos().x() << "," << form_->pos().y();
    QTest::qWait(TScreenSnap::kAnswerMs);
    systemMove(QPoint(300, H - 30 - 64 - 10));
    waitForMoveToEnd();
    EXPECT_EQ(form_->pos(), QPoint(300, H - 30 - 64 - 10));
}

TEST_F(ScreenSnapTest, ThePlayersOwnPlacementsAndInactiveSnapsLeaveTheWindowAlone) {
    form_->move(3, 3);
    waitForMoveToEnd();
    EXPECT_EQ(form_->pos(), QPoint(3, 3));

    snap_->Active = false;
    systemMove(QPoint(5, 300));
    waitForMoveToEnd();
    snap_->exitSizeMove();
    EXPECT_EQ(form_->pos(), QPoint(5, 300));

    snap_->Active = true;
    area_.setNoScreen();
    snap_->exitSizeMove();
    EXPECT_EQ(form_->pos(), QPoint(5, 300));
    area_.setScreen(QRect(0, 0, W, H));
    snap_->exitSizeMove();  // the end of a move the window made by itself
    EXPECT_EQ(form_->pos(), QPoint(0, 300));
}

TEST_F(ScreenSnapTest, APlaceTheWindowSystemPrefersToTheSnapIsNotFoughtOver) {
    systemMove(QPoint(5, 300));
    ASSERT_TRUE(comesTo(QPoint(0, 300)));
    // The window manager answers with its own place (still near the edge): left there.
    systemMove(QPoint(4, 300));
    waitForMoveToEnd();
    EXPECT_EQ(form_->pos(), QPoint(4, 300));
}

TEST_F(ScreenSnapTest, ThePrimaryScreenAwayFromTheOrigin) {
    area_.setScreen(QRect(1920, 0, W, H));
    systemMove(QPoint(1920 + 4, 300));
    EXPECT_TRUE(comesTo(QPoint(1920, 300))) << form_->pos().x() << "," << form_->pos().y();
    // On the other monitor (once the window system had its say on the snap): pulled back onto
    // the primary screen.
    QTest::qWait(TScreenSnap::kAnswerMs);
    systemMove(QPoint(100, 300));
    EXPECT_TRUE(comesTo(QPoint(1920, 300))) << form_->pos().x() << "," << form_->pos().y();
}

TEST_F(ScreenSnapTest, KeepsSnappingAfterTheNativeWindowIsRecreated) {
    // Changing stay-on-top re-creates the native window, which also hides it.
    form_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    form_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    systemMove(QPoint(500, 5));
    EXPECT_TRUE(comesTo(QPoint(500, 0))) << form_->pos().x() << "," << form_->pos().y();
}

}  // namespace
}  // namespace corvina
