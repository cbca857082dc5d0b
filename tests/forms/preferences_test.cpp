// The Preferences dialog over a running main window: what it loads, what OK stores and applies
// at once, what Cancel leaves alone, and how errors end its handlers.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <map>

#include "app/Main.h"
#include "forms/Preferences.h"
#include "menu/Menu2000.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/FakeDrive.h"
#include "platform/desktop/DesktopFiles.h"
#include "platform/desktop/Integration.h"
#include "platform/mci/Mci.h"
#include "platform/registry/DriveList.h"
#include "platform/registry/RegStore.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestSupport.h"

using namespace corvina;

namespace {

const QString kSettingsKey = QStringLiteral("Software\\Velmaro\\Corvina\\4.3");

class PreferencesTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir(configHome() + "/Corvina").removeRecursively();
        QDir(configHome() + "/autostart").removeRecursively();
        QFile::remove(configHome() + "/autostart");
        QFile::remove(desktop::mimeAppsPath());
        mci::resetForTesting();
        std::vector<std::unique_ptr<cd::Drive>> drives;
        drives.push_back(std::make_unique<cd::FakeDrive>(std::vector<int>{4500}));
        cd::DriveSet::install(std::move(drives));
        publishDriveBranch();
        writeSettings({});
        main = std::make_unique<TFormMain>();
        main->show();
    }
    void TearDown() override {
        main.reset();
        mci::resetForTesting();
        cd::DriveSet::install({});
    }
    static QString configHome() {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    }
    static QByteArray storeBytes(RootKey root) {
        QFile f(registry::storeFilePath(root));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
    // The settings as a previous run left them (splash off), with these changes.
    static void writeSettings(const std::map<QString, bool>& overrides) {
        std::map<QString, bool> values = {
            {"ShowSplash", false}, {"MinimizeAtStartup", false}, {"CloseAtStartup", true},
            {"CloseOnExit", true}, {"EjectOnExit", true},        {"StopOnExit", true},
            {"AlwaysOnTop", true}, {"Translucent", false},       {"TranslucentMenu", true}};
        for (const auto& [name, value] : overrides) values[name] = value;
        TRegistry registry(RootKey::CurrentUser);
        registry.openKey(kSettingsKey, true);
        for (const auto& [name, value] : values) registry.writeBool(name, value);
    }
    static bool stored(const char* name) {
        TRegistry registry(RootKey::CurrentUser);
        registry.openKey(kSettingsKey, false);
        return registry.readBool(QLatin1String(name));
    }
    static void clickOk(TFormPreferences& form) {
        QTest::mouseClick(form.ButtonOK, Qt::LeftButton);
    }
    bool onTop() const { return main->windowFlags().testFlag(Qt::WindowStaysOnTopHint); }
    // The rounded shape: the corner pixel is cut off, the edge next to the curve is not.
    bool rounded() const {
        const QRegion region = main->mask();
        return !region.isEmpty() && !region.contains(QPoint(0, 0)) &&
               region.contains(QPoint(9, 0)) && region.contains(QPoint(0, 9)) &&
               region.contains(QPoint(main->width() - 1, main->height() / 2));
    }

    std::unique_ptr<TFormMain> main;
};

TEST_F(PreferencesTest, IsTheDialogOfTheFormsData) {
    TFormPreferences form(main.get());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("设置"));
    EXPECT_EQ(form.size(), QSize(505, 334));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.font().family(), QFont(QStringLiteral("WenQuanYi Bitmap Song")).family());
    EXPECT_EQ(form.font().pixelSize(), 12);
    EXPECT_EQ(form.cbAlwaysOnTop->parentWidget(), form.GroupBox1);
    EXPECT_EQ(form.cbAlwaysOnTop->geometry(), QRect(256, 72, 217, 17));
    EXPECT_EQ(form.cbAlwaysOnTop->text(), QStringLiteral("窗口总是在最前端"));
    EXPECT_EQ(form.cbDefaultIcons->parentWidget(), form.GroupBox2);
    EXPECT_EQ(form.cbDefaultIcons->text(), QStringLiteral("使用Corvina CD 播放器的图标"));
    // The lookup switch in the cell beside the default-player box, on the group's grid.
    EXPECT_EQ(form.cbOnlineLookup->parentWidget(), form.GroupBox2);
    EXPECT_EQ(form.cbOnlineLookup->geometry(), QRect(256, 48, 217, 17));
    EXPECT_EQ(form.cbOnlineLookup->text(), QStringLiteral("在线查询唱片信息"));
    EXPECT_EQ(form.cbOnlineLookup->x(), form.cbDefaultIcons->x());
    EXPECT_EQ(form.cbOnlineLookup->y(), form.cbDefaultPlayer->y());
    EXPECT_EQ(form.cbOnlineLookup->font(), form.cbDefaultPlayer->font());
    EXPECT_EQ(form.cbbDevice->geometry(), QRect(24, 88, 329, 20));
    EXPECT_EQ(form.ButtonOK->geometry(), QRect(312, 304, 75, 25));
    EXPECT_TRUE(form.ButtonOK->isDefault());
    EXPECT_EQ(form.ButtonCancel->text(), QStringLiteral("取消"));

    // Tab goes through the first group's boxes in their order, the second group's, the
    // buttons.
    const QList<QWidget*> expected = {
        form.cbStopOnExit,   form.cbAlwaysOnTop,       form.cbAutorun,     form.cbTranslucent,
        form.cbShowSplash,   form.cbMinimizeAtStartup, form.cbEjectOnExit, form.cbCloseAtStartup,
        form.cbCloseOnExit,  form.cbTranslucentMenu,   form.cbAutoPlay,    form.cbDefaultPlayer,
        form.cbDefaultIcons, form.cbOnlineLookup,      form.cbbDevice,     form.ButtonOK,
        form.ButtonCancel};
    QWidget* at = form.cbStopOnExit;
    for (QWidget* next : expected.mid(1)) {
        at = at->nextInFocusChain();
        while (at->focusPolicy() == Qt::NoFocus || !(at->focusPolicy() & Qt::TabFocus))
            at = at->nextInFocusChain();
        EXPECT_EQ(at, next) << next->objectName().toStdString();
    }
}

TEST_F(PreferencesTest, LoadsTheSettingsTheIntegrationAndTheDriveList) {
    writeSettings({{"ShowSplash", true}, {"StopOnExit", false}, {"Translucent", true}});
    writeIntegration({true, false, true, false}, QCoreApplication::applicationFilePath());
    TFormPreferences form(main.get());
    EXPECT_TRUE(form.cbShowSplash->isChecked());
    EXPECT_FALSE(form.cbMinimizeAtStartup->isChecked());
    EXPECT_TRUE(form.cbCloseAtStartup->isChecked());
    EXPECT_FALSE(form.cbStopOnExit->isChecked());
    EXPECT_TRUE(form.cbTranslucent->isChecked());
    EXPECT_TRUE(form.cbTranslucentMenu->isChecked());
    EXPECT_TRUE(form.cbAutorun->isChecked());
    EXPECT_FALSE(form.cbAutoPlay->isChecked());
    EXPECT_TRUE(form.cbDefaultPlayer->isChecked());
    EXPECT_FALSE(form.cbDefaultIcons->isChecked());
    EXPECT_EQ(form.cbbDevice->count(), 1);
    EXPECT_EQ(form.cbbDevice->currentIndex(), 0);
    EXPECT_TRUE(form.cbbDevice->currentText().startsWith(QStringLiteral("[D:] - ")));
}

TEST_F(PreferencesTest, TheLookupSwitchIsTheTenthValue) {
    // A key from before the value existed: the box shows its default, on, and nothing is said.
    test::ErrorCapture errors;
    {
        TFormPreferences form(main.get());
        EXPECT_TRUE(form.cbOnlineLookup->isChecked());
        form.show();
        form.cbOnlineLookup->setChecked(false);
        clickOk(form);
    }
    EXPECT_TRUE(errors.messages().isEmpty()) << errors.messages().join('\n').toStdString();
    EXPECT_FALSE(stored("OnlineLookup"));
    {
        TFormPreferences form(main.get());
        EXPECT_FALSE(form.cbOnlineLookup->isChecked());
        form.show();
        form.cbOnlineLookup->setChecked(true);
        clickOk(form);
    }
    EXPECT_TRUE(stored("OnlineLookup"));
    // Another type is reported as for the other nine.
    {
        TRegistry registry(RootKey::CurrentUser);
        registry.openKey(kSettingsKey, false);
        registry.writeString(QStringLiteral("OnlineLookup"), QStringLiteral("1"));
    }
    TFormPreferences form(main.get());
    EXPECT_EQ(errors.messages(), QStringList{"Invalid data type for 'OnlineLookup'"});
    EXPECT_FALSE(form.cbOnlineLookup->isChecked());
}

TEST_F(PreferencesTest, ATextWhereANumberBelongsIsReportedAndTheDialogStillOpens) {
    writeSettings({{"ShowSplash", true}});
    {
        TRegistry registry(RootKey::CurrentUser);
        registry.openKey(kSettingsKey, false);
        registry.writeString(QStringLiteral("CloseAtStartup"), QStringLiteral("1"));
    }
    test::ErrorCapture errors;
    TFormPreferences form(main.get());
    EXPECT_EQ(errors.messages(), QStringList{"Invalid data type for 'CloseAtStartup'"});
    // What came before is loaded; the rest stays unchecked and the list empty.
    EXPECT_TRUE(form.cbShowSplash->isChecked());
    EXPECT_FALSE(form.cbCloseAtStartup->isChecked());
    EXPECT_FALSE(form.cbStopOnExit->isChecked());
    EXPECT_FALSE(form.cbAlwaysOnTop->isChecked());
    EXPECT_EQ(form.cbbDevice->count(), 0);
}

TEST_F(PreferencesTest, OkStoresAndAppliesAtOnceKeepingTheRoundedShape) {
    ASSERT_TRUE(onTop());
    ASSERT_TRUE(rounded());
    const QPoint place = main->pos();
    test::ErrorCapture errors;
    {
        TFormPreferences form(main.get());
        form.show();
        form.cbAlwaysOnTop->setChecked(false);
        form.cbTranslucent->setChecked(true);
        form.cbTranslucentMenu->setChecked(false);
        form.cbShowSplash->setChecked(true);
        clickOk(form);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.result(), QDialog::Accepted);
    }
    EXPECT_FALSE(stored("AlwaysOnTop"));
    EXPECT_TRUE(stored("Translucent"));
    EXPECT_FALSE(stored("TranslucentMenu"));
    EXPECT_TRUE(stored("ShowSplash"));
    EXPECT_FALSE(onTop());
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->pos(), place);
    EXPECT_TRUE(rounded());
    EXPECT_NEAR(main->windowOpacity(), 220.0 / 255.0, 0.002);
    EXPECT_EQ(main->MenuMain->Options()->Opacity(), 100);

    // And back: on top, opaque, the menu translucent again.
    {
        TFormPreferences form(main.get());
        form.show();
        EXPECT_FALSE(form.cbAlwaysOnTop->isChecked());
        form.cbAlwaysOnTop->setChecked(true);
        form.cbTranslucent->setChecked(false);
        form.cbTranslucentMenu->setChecked(true);
        clickOk(form);
    }
    EXPECT_TRUE(stored("AlwaysOnTop"));
    EXPECT_TRUE(onTop());
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(rounded());
    EXPECT_EQ(main->windowOpacity(), 1.0);
    EXPECT_EQ(main->MenuMain->Options()->Opacity(), 88);
    EXPECT_TRUE(errors.messages().isEmpty()) << errors.messages().join('\n').toStdString();
}

TEST_F(PreferencesTest, OkOnAFreshMachineRootCreatesTheIntegrationKeys) {
    // A first start writes only the install path and the drive list there.
    test::ErrorCapture errors;
    TFormPreferences form(main.get());
    form.show();
    form.cbDefaultPlayer->setChecked(true);
    clickOk(form);
    EXPECT_TRUE(errors.messages().isEmpty()) << errors.messages().join('\n').toStdString();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(defaultPlayerIsSet(QCoreApplication::applicationFilePath()));
}

TEST_F(PreferencesTest, CancelLeavesTheStoresAndTheWindowAsTheyWere) {
    const QByteArray user = storeBytes(RootKey::CurrentUser);
    const QByteArray machine = storeBytes(RootKey::LocalMachine);
    TFormPreferences form(main.get());
    form.show();
    for (QCheckBox* box : form.findChildren<QCheckBox*>()) box->toggle();
    QTest::mouseClick(form.ButtonCancel, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(storeBytes(RootKey::CurrentUser), user);
    EXPECT_EQ(storeBytes(RootKey::LocalMachine), machine);
    EXPECT_TRUE(onTop());
    EXPECT_EQ(main->windowOpacity(), 1.0);
    EXPECT_EQ(main->MenuMain->Options()->Opacity(), 88);
    EXPECT_FALSE(QFileInfo::exists(desktop::autostartEntryPath()));

    // Esc is Cancel too.
    TFormPreferences again(main.get());
    again.show();
    again.cbAlwaysOnTop->toggle();
    QTest::keyClick(&again, Qt::Key_Escape);
    EXPECT_FALSE(again.isVisible());
    EXPECT_EQ(storeBytes(RootKey::CurrentUser), user);
}

TEST_F(PreferencesTest, AnErrorInOkLeavesTheDialogOpenAndAppliesNothing) {
    QDir().mkpath(configHome());
    QFile blocker(configHome() + "/autostart");  // a file where the folder belongs
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    test::ErrorCapture errors;
    TFormPreferences form(main.get());
    form.show();
    form.cbAutorun->setChecked(true);
    form.cbAlwaysOnTop->setChecked(false);
    form.cbTranslucent->setChecked(true);
    clickOk(form);
    EXPECT_EQ(
        errors.messages(),
        QStringList{
            QStringLiteral("Failed to set data for '%1'").arg(desktop::autostartEntryPath())});
    EXPECT_TRUE(form.isVisible());
    // The ten values were stored before the failure; nothing reached the window.
    EXPECT_FALSE(stored("AlwaysOnTop"));
    EXPECT_TRUE(onTop());
    EXPECT_EQ(main->windowOpacity(), 1.0);
    // Cancel still closes it.
    QTest::mouseClick(form.ButtonCancel, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
