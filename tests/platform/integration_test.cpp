// The four integration switches against the machine root of the registry: when each reads as on,
// what on and off write (on a fresh machine root too), and the desktop files that follow them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

#include "platform/ErrorReport.h"
#include "platform/desktop/DesktopFiles.h"
#include "platform/desktop/Integration.h"
#include "platform/registry/Registry.h"

namespace corvina {
namespace {

const QString kExe = QStringLiteral("/usr/bin/corvina");
const QString kRun = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
const QString kAutoPlay = QStringLiteral("Software\\CLASSES\\AudioCD\\shell");
const QString kCdCommand = QStringLiteral("Software\\CLASSES\\AudioCD\\shell\\play\\command");
const QString kTrackCommand = QStringLiteral("Software\\CLASSES\\cdafile\\shell\\play\\command");
const QString kCdIcon = QStringLiteral("Software\\CLASSES\\AudioCD\\DefaultIcon");
const QString kTrackIcon = QStringLiteral("Software\\CLASSES\\cdafile\\DefaultIcon");

class Integration : public ::testing::Test {
protected:
    void SetUp() override {
        savedConfig_ = qgetenv("XDG_CONFIG_HOME");
        savedData_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath("config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.filePath("data")));
    }
    void TearDown() override {
        qputenv("XDG_CONFIG_HOME", savedConfig_);
        qputenv("XDG_DATA_HOME", savedData_);
    }
    static void put(const QString& key, const QString& name, const QString& value) {
        TRegistry reg(RootKey::LocalMachine);
        reg.openKey(key, true);
        reg.writeString(name, value);
    }
    static QString get(const QString& key, const QString& name = QString()) {
        TRegistry reg(RootKey::LocalMachine);
        if (!reg.openKey(key, false)) return QStringLiteral("<no key>");
        if (!reg.valueExists(name)) return QStringLiteral("<no value>");
        return reg.readString(name);
    }
    static QString messageOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const Error& e) {
            return e.message();
        }
        return QStringLiteral("(no error)");
    }

    QTemporaryDir dir_;
    QByteArray savedConfig_;
    QByteArray savedData_;
};

TEST_F(Integration, OnAFreshMachineRootOnCreatesEveryKeyAndReadsBackAsOn) {
    EXPECT_FALSE(autorunIsSet(kExe));
    EXPECT_FALSE(autoPlayIsSet());
    EXPECT_FALSE(defaultPlayerIsSet(kExe));
    EXPECT_FALSE(defaultIconsAreSet(kExe));

    writeIntegration({true, true, true, true}, kExe);
    EXPECT_EQ(get(kRun, "Corvina"), kExe);
    EXPECT_EQ(get(kAutoPlay), "Play");
    EXPECT_EQ(get(kCdCommand), "/usr/bin/corvina /play %1");
    EXPECT_EQ(get(kTrackCommand), "/usr/bin/corvina /play %1");
    EXPECT_EQ(get(kCdIcon), "/usr/bin/corvina,1");
    EXPECT_EQ(get(kTrackIcon), "/usr/bin/corvina,2");
    EXPECT_TRUE(autorunIsSet(kExe));
    EXPECT_TRUE(autoPlayIsSet());
    EXPECT_TRUE(defaultPlayerIsSet(kExe));
    EXPECT_TRUE(defaultIconsAreSet(kExe));

    // The desktop follows.
    EXPECT_TRUE(QFileInfo::exists(desktop::autostartEntryPath()));
    EXPECT_TRUE(QFileInfo::exists(desktop::applicationEntryPath()));
    EXPECT_TRUE(QFileInfo::exists(desktop::mimeAppsPath()));
    EXPECT_TRUE(QFileInfo::exists(dir_.filePath("data/icons/hicolor/32x32/apps/corvina.png")));
}

TEST_F(Integration, OffWritesTheSystemPlayersValuesAndRemovesTheDesktopFiles) {
    // On a fresh machine root: the fallbacks are written, and autorun, with nothing to delete,
    // makes no key.
    writeIntegration({}, kExe);
    EXPECT_EQ(get(kRun, "Corvina"), "<no key>");
    EXPECT_EQ(get(kCdCommand), "C:\\windows\\cdplayer.exe /play %1");

    writeIntegration({true, true, true, true}, kExe);
    writeIntegration({}, kExe);
    EXPECT_EQ(get(kRun, "Corvina"), "<no value>");
    EXPECT_EQ(get(kAutoPlay), "");
    EXPECT_EQ(get(kCdCommand), "C:\\windows\\cdplayer.exe /play %1");
    EXPECT_EQ(get(kTrackCommand), "C:\\windows\\cdplayer.exe -play %1");
    EXPECT_EQ(get(kCdIcon), "C:\\windows\\system32\\shell32.dll,40");
    EXPECT_EQ(get(kTrackIcon), "C:\\windows\\cdplayer.exe,1");
    EXPECT_FALSE(QFileInfo::exists(desktop::autostartEntryPath()));
    EXPECT_FALSE(QFileInfo::exists(desktop::applicationEntryPath()));
    EXPECT_FALSE(QFileInfo::exists(desktop::mimeAppsPath()));
    EXPECT_FALSE(QFileInfo::exists(dir_.filePath("data/icons/hicolor/32x32/apps/corvina.png")));
}

TEST_F(Integration, ReadsTheValuesByTheirOwnRules) {
    // The autorun path counts letter case; the AutoPlay verb does not.
    put(kRun, "Corvina", "/USR/BIN/corvina");
    put(kAutoPlay, "", "play");
    EXPECT_FALSE(autorunIsSet(kExe));
    EXPECT_TRUE(autoPlayIsSet());
    put(kAutoPlay, "", "Open");
    EXPECT_FALSE(autoPlayIsSet());

    // Only one of the two command keys, or one of the two icons, pointing at the player is off.
    put(kCdCommand, "", "/usr/bin/corvina /play %1");
    EXPECT_FALSE(defaultPlayerIsSet(kExe));
    put(kTrackCommand, "", "/usr/bin/corvina /play %1");
    EXPECT_TRUE(defaultPlayerIsSet(kExe));
    EXPECT_FALSE(defaultPlayerIsSet("/opt/corvina"));
    put(kCdIcon, "", "/usr/bin/corvina,1");
    put(kTrackIcon, "", "/usr/bin/corvina,1");
    EXPECT_FALSE(defaultIconsAreSet(kExe));

    // Checking autorun again writes the exact path.
    writeIntegration({true, false, false, false}, kExe);
    EXPECT_TRUE(autorunIsSet(kExe));
}

TEST_F(Integration, ANumberWhereTextBelongsIsReported) {
    TRegistry reg(RootKey::LocalMachine);
    reg.openKey(kAutoPlay, true);
    reg.writeInteger(QString(), 1);
    EXPECT_EQ(messageOf([] { autoPlayIsSet(); }), "Invalid data type for ''");
}

TEST_F(Integration, ADesktopFolderThatCannotBeWrittenStopsAfterTheRegistry) {
    QDir().mkpath(dir_.filePath("config"));
    QFile blocker(dir_.filePath("config/autostart"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    EXPECT_EQ(messageOf([] {
                  writeIntegration({true, true, true, true}, kExe);
              }),
              QStringLiteral("Failed to set data for '%1'").arg(desktop::autostartEntryPath()));
    EXPECT_TRUE(defaultIconsAreSet(kExe));  // the registry came first
    EXPECT_FALSE(QFileInfo::exists(desktop::applicationEntryPath()));
}

}  // namespace
}  // namespace corvina
