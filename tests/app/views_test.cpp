// The main window's two views, dragging by the background, the menu symbol, minimising and
// restoring, and the titles they choose.
#include <QTest>
#include <QWindow>

#include "components/LCD.h"
#include "components/ScreenSnap.h"
#include "components/ScrollingText.h"
#include "components/SuperButton.h"
#include "components/TrayIcon.h"
#include "menu/Menu2000.h"
#include "platform/shell/FakeWorkArea.h"
#include "platform/shell/PointerButtons.h"
#include "platform/shell/RoundRectRegion.h"
#include "platform/shell/WindowDrag.h"
#include "tests/app/MainFixture.h"

namespace corvina::test {
namespace {

const QString kTitle = QStringLiteral("Corvina CD 播放器");

// A menu that records where it was asked to open.
class RecordingMenu : public TPopupMenu2000 {
public:
    using TPopupMenu2000::TPopupMenu2000;
    void Popup(int x, int y) override { opened.append(QPoint(x, y)); }
    QList<QPoint> opened;
};

class ViewsTest : public MainWindowTest {
protected:
    TFormMain& startShown() {
        insertDrive(std::vector<int>(9, 3 * kMinute));
        writeSettings({{"AlwaysOnTop", false}});
        TFormMain& form = start();
        form.move(282, 352);
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
        return form;
    }
    // A left press on `control`, then the pointer moved by `by` with the button held, released.
    void drag(QWidget* control, QPoint by, Qt::MouseButton button = Qt::LeftButton) {
        const QPoint local(control->width() / 2, control->height() / 2);
        const QPoint global = control->mapToGlobal(local);
        QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
        QApplication::sendEvent(control, &press);
        for (int step = 1; step <= 4; ++step) {
            const QPoint at = global + by * step / 4;
            QMouseEvent move(QEvent::MouseMove, control->mapFromGlobal(at), at, Qt::NoButton,
                             button, Qt::NoModifier);
            QApplication::sendEvent(control, &move);
        }
        const QPoint end = global + by;
        QMouseEvent release(QEvent::MouseButtonRelease, control->mapFromGlobal(end), end, button,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(control, &release);
    }
    void doubleClick(QWidget* control) {
        QTest::mouseDClick(control, Qt::LeftButton, {}, QPoint(2, 2));
    }

    shell::FakeWorkArea area_;
    shell::FakePointerButtons buttons_;
};

TEST_F(ViewsTest, EachViewIsPlacedAgainEveryTimeItIsChosen) {
    TFormMain& form = startShown();
    const QRegion rounded = shell::roundRectRegion(0, 0, 461, 65, 18, 18);
    EXPECT_EQ(form.mask(), rounded);
    for (int round = 0; round < 2; ++round) {
        form.MenuPortivoClick(nullptr);
        EXPECT_EQ(form.geometry(), QRect(422, 0, 180, 18));
        EXPECT_EQ(form.Portivo->geometry(), QRect(0, 0, 180, 18));
        EXPECT_TRUE(form.Portivo->isVisible());
        EXPECT_EQ(form.mask(), QRegion(0, 0, 180, 18));
        EXPECT_TRUE(form.PortivoView);
        form.move(100, 200);  // dragged away: choosing the view again puts it back
    }
    for (int round = 0; round < 2; ++round) {
        form.MenuFullClick(nullptr);
        EXPECT_EQ(form.geometry(), QRect(282, 352, 460, 64));
        EXPECT_FALSE(form.Portivo->isVisible());
        EXPECT_EQ(form.mask(), rounded);
        EXPECT_FALSE(form.PortivoView);
        form.move(7, 9);
    }
}

TEST_F(ViewsTest, NarrowScreensAndScreensAwayFromTheOrigin) {
    TFormMain& form = startShown();
    area_.setScreen(QRect(0, 0, 401, 301));
    form.MenuFullClick(nullptr);
    EXPECT_EQ(form.pos(), QPoint(-29, 118));  // (401 - 460) / 2 rounds toward zero
    area_.setScreen(QRect(0, 0, 99, 301));
    form.MenuPortivoClick(nullptr);
    EXPECT_EQ(form.pos(), QPoint(-40, 0));
    area_.setScreen(QRect(1920, 100, 1280, 1024));
    form.MenuPortivoClick(nullptr);
    EXPECT_EQ(form.pos(), QPoint(1920 + 550, 100));
    form.MenuFullClick(nullptr);
    EXPECT_EQ(form.pos(), QPoint(1920 + 410, 100 + 480));
}

TEST_F(ViewsTest, ChoosingAViewBringsTheWindowBackFromTheTray) {
    TFormMain& form = startShown();
    form.MenuFullClick(nullptr);  // no tray icon yet: nothing to bring back
    auto* tray = new TTrayIcon(&form);
    form.TrayIcon = tray;
    tray->setMinimizeToTray(true);
    form.hide();
    form.MenuPortivoClick(nullptr);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(tray->MinimizeToTray());
    form.hide();
    form.MenuFullClick(nullptr);  // not in the tray: stays hidden
    EXPECT_FALSE(form.isVisible());
    tray->setMinimizeToTray(true);
    form.MenuFullClick(nullptr);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(tray->MinimizeToTray());
}

TEST_F(ViewsTest, DoubleClicksAndTheViewButtonsSwitchViews) {
    TFormMain& form = startShown();
    doubleClick(form.ImageBack);
    EXPECT_TRUE(form.PortivoView);
    doubleClick(form.ImagePortivo);
    EXPECT_FALSE(form.PortivoView);
    EXPECT_EQ(form.size(), QSize(460, 64));
    QTest::mouseClick(form.CorvinaPortivo, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(form.PortivoView);
    QTest::mouseClick(form.PortivoRestore, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(form.PortivoView);
    QTest::mouseDClick(&form, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(form.PortivoView);
}

TEST_F(ViewsTest, TheBackgroundLabelsAndStateIconsDragTheWindow) {
    TFormMain& form = startShown();
    for (TImage* icon : {form.IconPlaying, form.IconPaused, form.IconStopped}) icon->show();
    const QList<QWidget*> handles = {form.ImageBack,   form.IconPlaying,  form.IconPaused,
                                     form.IconStopped, form.LabelStatus,  form.LabelTime,
                                     form.LabelTrack,  form.LabelVersion, form.LabelSysTime};
    for (QWidget* handle : handles) {
        SCOPED_TRACE(handle->objectName().toStdString());
        form.move(300, 300);
        drag(handle, QPoint(-40, 25));
        EXPECT_EQ(form.pos(), QPoint(260, 325));
    }
    form.MenuPortivoClick(nullptr);
    form.move(300, 300);
    drag(form.ImagePortivo, QPoint(-40, 25));
    EXPECT_EQ(form.pos(), QPoint(260, 325));
}

TEST_F(ViewsTest, ControlsAndOtherButtonsDoNotDrag) {
    TFormMain& form = startShown();
    form.IconDisc->show();
    QList<QWidget*> controls = {form.LCDTrack,      form.LCDTime1,    form.LCDTime2,
                                form.ScrollText,    form.CorvinaStop, form.CorvinaNext,
                                form.IconMuteFalse, form.IconDisc,    form.MenuIcon};
    if (auto* volume = form.findChild<QWidget*>(QStringLiteral("VolumeBar")))
        controls.append(volume);
    for (QWidget* control : controls) {
        SCOPED_TRACE(control->objectName().toStdString());
        form.move(300, 300);
        drag(control, QPoint(-40, 25));
        EXPECT_EQ(form.pos(), QPoint(300, 300));
    }
    // Neither the right nor the middle button drags the background; the right one opens the
    // context menu where it is released.
    auto* menu = new RecordingMenu(&form);
    form.ImageBack->PopupMenu = menu;
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        drag(form.ImageBack, QPoint(-40, 25), button);
        EXPECT_EQ(form.pos(), QPoint(300, 300));
    }
    EXPECT_EQ(menu->opened, QList<QPoint>{form.ImageBack->mapToGlobal(QPoint(190, 57))});
    // A click with a tremble of the hand is no drag.
    drag(form.ImageBack, QPoint(1, 1));
    EXPECT_EQ(form.pos(), QPoint(300, 300));
}

TEST_F(ViewsTest, TheEndOfADragSnapsToTheEdges) {
    TFormMain& form = startShown();
    ASSERT_NE(form.ScreenSnap, nullptr);
    EXPECT_EQ(form.ScreenSnap->Threshold, 10);
    form.move(50, 300);
    drag(form.LabelTime, QPoint(-45, 0));  // ends 5 pixels from the left edge
    EXPECT_EQ(form.pos(), QPoint(0, 300));
    form.move(50, 300);
    drag(form.LabelTime, QPoint(-40, 0));  // ends 10 pixels from it
    EXPECT_EQ(form.pos(), QPoint(10, 300));
}

TEST_F(ViewsTest, TheMenuSymbolOpensTheMenuBelowTheWindowCorner) {
    TFormMain& form = startShown();
    auto* menu = new RecordingMenu(&form);
    form.MenuMain = menu;
    QTest::mouseClick(form.MenuIcon, Qt::LeftButton, {}, QPoint(8, 8));
    form.MenuPortivoClick(nullptr);
    QTest::mouseClick(form.PortivoIcon, Qt::LeftButton, {}, QPoint(8, 8));
    EXPECT_EQ(menu->opened, (QList<QPoint>{QPoint(300, 372), QPoint(440, 20)}));
}

TEST_F(ViewsTest, MinimisedWithADiscTheTitleShowsTrackAndPosition) {
    TFormMain& form = startShown();
    tick();  // the title reads what the previous tick left
    tick();
    EXPECT_EQ(form.ApplicationTitle(), kTitle);
    QTest::mouseClick(form.CorvinaMinimize, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(form.isMinimized());
    EXPECT_TRUE(form.Minimized);
    drive_->advance(75 * kSecond);
    tick();
    tick();
    EXPECT_EQ(form.ApplicationTitle(), kTitle + QStringLiteral(" - [01 01:15]"));

    form.showNormal();  // a click on the taskbar entry
    EXPECT_FALSE(form.Minimized);
    EXPECT_EQ(form.ApplicationTitle(), kTitle);
    EXPECT_FALSE(form.PortivoView);
    EXPECT_EQ(form.size(), QSize(460, 64));
}

TEST_F(ViewsTest, RestoringTheCompactViewKeepsItAndItsTitleComesBackWithTheTick) {
    TFormMain& form = startShown();
    form.MenuPortivoClick(nullptr);
    tick();
    // Minimised by the window manager rather than the button: the same handler runs.
    form.showMinimized();
    EXPECT_TRUE(form.Minimized);
    form.showNormal();
    EXPECT_EQ(form.ApplicationTitle(), kTitle);
    tick();
    EXPECT_TRUE(form.ApplicationTitle().startsWith(kTitle + QStringLiteral(" - [01 ")));
    EXPECT_EQ(form.geometry(), QRect(422, 0, 180, 18));
    EXPECT_EQ(form.mask(), QRegion(0, 0, 180, 18));
}

TEST_F(ViewsTest, MinimisedWithoutADiscTheTitleStaysPlain) {
    insertDrive({});
    writeSettings();
    TFormMain& form = start();
    form.MenuMinimizeClick(nullptr);
    EXPECT_TRUE(form.Minimized);
    tick();
    tick();
    EXPECT_EQ(form.ApplicationTitle(), kTitle);
    // Minimising again while minimised changes nothing.
    form.MenuMinimizeClick(nullptr);
    EXPECT_TRUE(form.isMinimized());
}

}  // namespace
}  // namespace corvina::test
