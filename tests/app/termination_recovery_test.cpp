// The player ends cleanly whatever state it is in, and recovers from a settings file that
// cannot be read.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMetaObject>
#include <QStandardPaths>

#include "platform/registry/RegStore.h"
#include "platform/registry/Registry.h"
#include "tests/app/MainFixture.h"

namespace corvina::test {
namespace {

const QString kSettingsKey = QStringLiteral("Software\\Velmaro\\Corvina\\4.3");

void writeRaw(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

TEST_F(MainWindowTest, NoTickPollsTheDeviceOnceTheExitSequenceClosedIt) {
    insertDrive({3 * kMinute});
    writeSettings();
    TFormMain& form = start();
    form.MenuExitClick(nullptr);
    ASSERT_EQ(takeCommands().last(), QStringLiteral("close CorvinaCD"));
    EXPECT_FALSE(form.TimerCD->isActive());
    // A tick already queued (a report's loop was running when the exit came) does nothing.
    QMetaObject::invokeMethod(form.TimerCD, "timeout");
    QCoreApplication::processEvents();
    EXPECT_TRUE(takeCommands().isEmpty());
}

TEST_F(MainWindowTest, QuietReportsDuringTheExitNeverReachTheBox) {
    insertDrive({});
    {
        TRegistry registry(RootKey::CurrentUser);
        ASSERT_TRUE(registry.openKey(kSettingsKey, true));
        registry.writeBool(QStringLiteral("ShowSplash"), false);
    }
    writeSettings();
    start();
    {
        TRegistry registry(RootKey::CurrentUser);
        registry.openKey(kSettingsKey, false);
        registry.writeString(QStringLiteral("StopOnExit"), QStringLiteral("yes"));
    }
    setReportsQuiet(true);
    form_->MenuExitClick(nullptr);
    setReportsQuiet(false);
    EXPECT_TRUE(errors_->messages().isEmpty());  // stderr and the log only
    EXPECT_EQ(takeCommands(), QStringList{"close CorvinaCD"});
}

TEST_F(MainWindowTest, AnUnreadableSettingsFileIsKeptAsideAndTheDefaultsComeBack) {
    insertDrive({});
    const QString file = registry::storeFilePath(RootKey::CurrentUser);
    const QByteArray damaged =
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Velmaro\\Corvina\\4.3]\n"
        "\"ShowSplash\"=dword:0000000\x01\n"
        "\xff\xfe garbage \"StopOnExit\"\n";
    writeRaw(file, damaged);
    NoticeCapture notices;
    start();
    ASSERT_EQ(notices.messages().size(), 1);
    EXPECT_TRUE(notices.messages()[0].contains(QStringLiteral("已恢复默认设置")));
    const QStringList copies =
        QFileInfo(file).dir().entryList({QStringLiteral("HKCU.reg.corrupt-*")});
    ASSERT_EQ(copies.size(), 1);
    EXPECT_TRUE(notices.messages()[0].contains(copies[0]));
    QFile copy(QFileInfo(file).dir().filePath(copies[0]));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), damaged);

    TRegistry registry(RootKey::CurrentUser);
    ASSERT_TRUE(registry.openKey(kSettingsKey, false));
    for (const char* name :
         {"ShowSplash", "MinimizeAtStartup", "CloseAtStartup", "CloseOnExit", "EjectOnExit",
          "StopOnExit", "AlwaysOnTop", "Translucent", "TranslucentMenu", "OnlineLookup"})
        EXPECT_TRUE(registry.valueExists(QLatin1String(name))) << name;
    ASSERT_TRUE(registry.openKey(QStringLiteral("Software\\Velmaro\\Corvina"), false));
    EXPECT_EQ(registry.readString(QStringLiteral("Path")), QCoreApplication::applicationFilePath());

    // The exit and the next start are quiet.
    form_->MenuExitClick(nullptr);
    form_.reset();
    start();
    form_->MenuExitClick(nullptr);
    EXPECT_EQ(notices.messages().size(), 1);
    EXPECT_TRUE(errors_->messages().isEmpty()) << errors_->messages().join('\n').toStdString();
    EXPECT_EQ(QFileInfo(file).dir().entryList({QStringLiteral("HKCU.reg.corrupt-*")}).size(), 1);
}

}  // namespace
}  // namespace corvina::test
