// Start-up, hand-over and exit of the main window: the settings store, the device commands,
// the exit sequence.
#include <QCoreApplication>

#include "components/ScrollingText.h"
#include "platform/registry/Registry.h"
#include "tests/app/MainFixture.h"

namespace corvina::test {
namespace {

const QString kSettingsKey = QStringLiteral("Software\\Velmaro\\Corvina\\4.3");

TEST_F(MainWindowTest, StartWithADiscPlaysDuringStartup) {
    insertDrive({3 * kMinute, 4 * kMinute, 2 * kMinute});
    writeSettings();
    TFormMain& form = start(true);
    EXPECT_EQ(takeCommands(), (QStringList{
                                  "open cdaudio alias CorvinaCD wait shareable",
                                  "set CorvinaCD time format tmsf wait",
                                  "status CorvinaCD media present",
                                  "status CorvinaCD number of tracks",
                                  "play CorvinaCD",
                                  "status CorvinaCD length wait",
                                  "status CorvinaCD position",
                                  "status CorvinaCD length track 01",
                                  "set CorvinaCD door closed",
                              }));
    EXPECT_TRUE(form.Playing);
    EXPECT_TRUE(form.DiscPresent);
    EXPECT_EQ(form.LabelStatus->Caption(), QStringLiteral("正在播放..."));
    EXPECT_EQ(form.LabelTrack->Caption(), QStringLiteral("01/3"));
    EXPECT_EQ(form.LabelTime->Caption(), QStringLiteral("03:00/09:00"));
    EXPECT_FALSE(form.IconDisc->isHidden());
    EXPECT_TRUE(errors_->messages().isEmpty()) << errors_->messages().join('\n').toStdString();

    // The window is shaped and sized from its background, and its marquee is switched on.
    EXPECT_EQ(form.size(), QSize(460, 64));
    EXPECT_TRUE(form.ScrollText->isEnabled());
    EXPECT_TRUE(form.ScrollText->ShowHint());
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_DOUBLE_EQ(form.windowOpacity(), 1.0);
}

TEST_F(MainWindowTest, FirstStartWritesTheTenDefaultsAndTheInstallPath) {
    insertDrive({});
    start();
    TRegistry registry(RootKey::CurrentUser);
    ASSERT_TRUE(registry.openKey(kSettingsKey, false));
    const std::pair<const char*, bool> defaults[] = {
        {"ShowSplash", true},  {"MinimizeAtStartup", false}, {"CloseAtStartup", true},
        {"CloseOnExit", true}, {"EjectOnExit", true},        {"StopOnExit", true},
        {"AlwaysOnTop", true}, {"Translucent", false},       {"TranslucentMenu", true},
        {"OnlineLookup", true}};
    for (const auto& [name, value] : defaults) {
        EXPECT_EQ(registry.readInteger(name), value ? 1 : 0) << name;
    }
    for (RootKey root : {RootKey::CurrentUser, RootKey::LocalMachine}) {
        TRegistry install(root);
        ASSERT_TRUE(install.openKey(QStringLiteral("Software\\Velmaro\\Corvina"), false));
        EXPECT_EQ(install.readString(QStringLiteral("Path")),
                  QCoreApplication::applicationFilePath());
    }
    EXPECT_TRUE(form_->ShowMainForm);
}

TEST_F(MainWindowTest, StartupSettingsShapeTheWindow) {
    insertDrive({});
    writeSettings({{"AlwaysOnTop", false},
                   {"Translucent", true},
                   {"MinimizeAtStartup", true},
                   {"CloseAtStartup", false}});
    TFormMain& form = start(true);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_NEAR(form.windowOpacity(), 220.0 / 255.0, 0.01);
    EXPECT_FALSE(form.ShowMainForm);
    EXPECT_FALSE(takeCommands().contains("set CorvinaCD door closed"));
}

TEST_F(MainWindowTest, AStringWhereASwitchBelongsIsReported) {
    insertDrive({});
    writeSettings();
    {
        TRegistry registry(RootKey::CurrentUser);
        ASSERT_TRUE(registry.openKey(kSettingsKey, false));
        registry.writeString(QStringLiteral("ShowSplash"), QStringLiteral("1"));
    }
    start();
    EXPECT_EQ(errors_->messages(), QStringList{"Invalid data type for 'ShowSplash'"});
    // Start-up ends at that read: the device is never opened.
    EXPECT_FALSE(form_->ScrollText->isEnabled());
}

TEST_F(MainWindowTest, ALaterStartRestoresAMinimisedPlayerButNotOneHiddenToTheTray) {
    insertDrive({});
    writeSettings();
    TFormMain& form = start();
    form.show();
    form.MenuMinimizeClick(nullptr);
    ASSERT_TRUE(form.isMinimized());
    EXPECT_TRUE(form.Minimized);

    form.WMActivateInstance();
    EXPECT_FALSE(form.isMinimized());
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.Minimized);  // the restore handler ran
    EXPECT_EQ(form.ApplicationTitle(), QStringLiteral("Corvina CD 播放器"));

    form.hide();
    form.WMActivateInstance();
    EXPECT_FALSE(form.isVisible());
}

TEST_F(MainWindowTest, ExitWithNoDiscClosesTheDoorInsteadOfEjecting) {
    insertDrive({});
    writeSettings();
    TFormMain& form = start();
    EXPECT_EQ(form.LabelStatus->Caption(), QStringLiteral("无碟"));
    form.MenuExitClick(nullptr);
    EXPECT_EQ(takeCommands(),
              (QStringList{"stop CorvinaCD wait", "set CorvinaCD door closed", "close CorvinaCD"}));
    // Closing the window afterwards does not run the sequence again.
    form.close();
    EXPECT_TRUE(takeCommands().isEmpty());
}

TEST_F(MainWindowTest, ExitWithADiscEjectsAndSendsOneDoorCommand) {
    insertDrive({3 * kMinute, 3 * kMinute});
    writeSettings();
    start();
    form_->close();  // any close request runs the exit sequence
    EXPECT_EQ(takeCommands(),
              (QStringList{"stop CorvinaCD wait", "set CorvinaCD door open", "close CorvinaCD"}));
}

TEST_F(MainWindowTest, ExitWithEveryExitSettingOffStillClosesTheDevice) {
    insertDrive({3 * kMinute, 3 * kMinute});
    writeSettings({{"StopOnExit", false}, {"EjectOnExit", false}, {"CloseOnExit", false}});
    start().MenuExitClick(nullptr);
    EXPECT_EQ(takeCommands(), QStringList{"close CorvinaCD"});
}

TEST_F(MainWindowTest, ExitWithUnreadableSettingsStillClosesTheDeviceAndSaysWhy) {
    insertDrive({3 * kMinute, 3 * kMinute});
    writeSettings();
    TFormMain& form = start();
    {
        TRegistry registry(RootKey::CurrentUser);
        ASSERT_TRUE(registry.openKey(kSettingsKey, false));
        registry.deleteValue(QStringLiteral("StopOnExit"));
    }
    form.MenuExitClick(nullptr);
    EXPECT_EQ(takeCommands(), QStringList{"close CorvinaCD"});
    EXPECT_EQ(errors_->messages(), QStringList{"Failed to get data for 'StopOnExit'"});
}

}  // namespace
}  // namespace corvina::test
