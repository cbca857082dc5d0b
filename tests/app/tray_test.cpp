// Hiding the main window to the notification area and bringing it back, with and without one.
#include <QCoreApplication>

#include "components/SuperButton.h"
#include "components/TrayIcon.h"
#include "platform/registry/Registry.h"
#include "tests/app/MainFixture.h"

namespace corvina::test {
namespace {

class TrayTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        previousNotices_ = setNoticeSink([this](const QString& m) { notices_ << m; });
    }
    void TearDown() override {
        setNoticeSink(previousNotices_);
        MainWindowTest::TearDown();
    }
    QStringList notices_;
    ErrorSink previousNotices_;
};

TEST_F(TrayTest, TheIconIsThereFromTheStartAndListensOnceStartupIsDone) {
    insertDrive({});
    writeSettings();
    TFormMain& form = start();
    ASSERT_NE(trayShell_, nullptr);
    EXPECT_TRUE(trayShell_->iconShown);
    EXPECT_EQ(trayShell_->lastRecord().tipText(), QStringLiteral("Corvina CD 播放器"));
    EXPECT_FALSE(trayShell_->lastRecord().icon.isNull());
    EXPECT_TRUE(form.TrayIcon->Enabled());
    EXPECT_EQ(form.TrayIcon->PopupMenu(), form.MenuMain);
}

TEST_F(TrayTest, HideToTheTrayAndComeBackWithAClick) {
    insertDrive({});
    writeSettings();
    TFormMain& form = start();
    form.show();
    form.CorvinaSysTray->OnClick(form.CorvinaSysTray);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.TrayIcon->MinimizeToTray());
    EXPECT_TRUE(trayShell_->iconShown);

    // While hidden, a later start leaves it there; minimising keeps it hidden.
    form.WMActivateInstance();
    EXPECT_FALSE(form.isVisible());

    trayShell_->press(trayMouse::LeftDown);
    trayShell_->press(trayMouse::LeftUp);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.isMinimized());
    EXPECT_FALSE(form.TrayIcon->MinimizeToTray());
    EXPECT_EQ(form.size(), QSize(460, 64));
    EXPECT_TRUE(notices_.isEmpty());
}

TEST_F(TrayTest, TheCompactViewComesBackAsItWas) {
    insertDrive({});
    writeSettings();
    TFormMain& form = start();
    form.show();
    form.MenuPortivoClick(nullptr);
    const QPoint at = form.pos();
    form.MenuTrayClick(nullptr);
    ASSERT_FALSE(form.isVisible());
    trayShell_->press(trayMouse::LeftDown);
    trayShell_->press(trayMouse::LeftUp);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.PortivoView);
    EXPECT_EQ(form.size(), QSize(180, 18));
    EXPECT_EQ(form.pos(), at);
}

TEST_F(TrayTest, MinimisingWhileHiddenToTheTrayStaysHiddenAndTheClickRestores) {
    insertDrive({});
    writeSettings();
    TFormMain& form = start();
    form.show();
    form.MenuTrayClick(nullptr);
    // The menu's minimise item, chosen at the icon.
    form.MenuMinimizeClick(nullptr);
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.isVisible());
    form.TrayIconClick(form.TrayIcon);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.isMinimized());
    EXPECT_FALSE(form.Minimized);  // the restore handler ran
}

TEST_F(TrayTest, WithNoNotificationAreaThePlayerGoesToTheTaskbarAndSaysSoOnce) {
    insertDrive({});
    writeSettings();
    TFormMain& form = start();
    trayShell_->hasNotificationArea = false;
    form.show();
    form.MenuTrayClick(nullptr);
    EXPECT_TRUE(form.isMinimized());
    EXPECT_FALSE(form.TrayIcon->MinimizeToTray());
    ASSERT_EQ(notices_.size(), 1);
    EXPECT_TRUE(notices_[0].contains(QStringLiteral("任务栏")));

    form.WMActivateInstance();  // a second start brings it back
    EXPECT_FALSE(form.isMinimized());
    EXPECT_TRUE(form.isVisible());
    form.MenuTrayClick(nullptr);
    EXPECT_TRUE(form.isMinimized());
    EXPECT_EQ(notices_.size(), 1);
}

TEST_F(TrayTest, ASecondStartBringsBackAWindowWhoseTrayWentAway) {
    insertDrive({});
    writeSettings();
    TFormMain& form = start();
    form.show();
    form.MenuTrayClick(nullptr);
    ASSERT_FALSE(form.isVisible());
    trayShell_->hasNotificationArea = false;
    form.WMActivateInstance();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.TrayIcon->MinimizeToTray());
}

TEST_F(TrayTest, MinimizeAtStartupHidesOnlyWhereThereIsANotificationArea) {
    insertDrive({});
    writeSettings({{"MinimizeAtStartup", true}});
    EXPECT_FALSE(start().ShowMainForm);
    EXPECT_TRUE(form_->TrayIcon->MinimizeToTray());
    form_.reset();

    TTrayIcon::setShellFactory([] {
        auto shell = std::make_unique<FakeTrayShell>();
        shell->hasNotificationArea = false;
        return shell;
    });
    EXPECT_TRUE(start().ShowMainForm);
    EXPECT_FALSE(form_->TrayIcon->MinimizeToTray());
}

TEST_F(TrayTest, TheIconIgnoresTheMouseUntilStartupEnablesIt) {
    insertDrive({});
    writeSettings({{"ShowSplash", true}});
    // An error at the first read ends start-up before step 14.
    {
        TRegistry registry(RootKey::CurrentUser);
        registry.openKey(QStringLiteral("Software\\Velmaro\\Corvina\\4.3"), false);
        registry.writeString(QStringLiteral("ShowSplash"), QStringLiteral("1"));
    }
    TFormMain& form = start();
    EXPECT_FALSE(form.TrayIcon->Enabled());
    trayShell_->press(trayMouse::LeftDown);
    trayShell_->press(trayMouse::LeftUp);
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace corvina::test
