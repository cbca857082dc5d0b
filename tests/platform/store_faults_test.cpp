// Faults injected into the saves of the title file and of the settings: a kill -9 at random
// moments of a save, and a disk that fills up. After either, the file on disk is the old one or
// the new one, whole, and reads as such.
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <random>

#include "platform/ErrorReport.h"
#include "platform/profile/IniFile.h"
#include "platform/profile/ProfileText.h"
#include "platform/registry/RegFile.h"
#include "platform/registry/RegStore.h"
#include "platform/registry/Registry.h"

namespace corvina {
namespace {

const QString kSettings = QStringLiteral("Software\\Velmaro\\Corvina\\4.3");
const QString kDisc = QStringLiteral("12ABCD");
constexpr int kTracks = 24;

// Kills per store: CORVINA_KILL_RUNS (scripts/fault-long asks for 1000), else a quick 40.
int killRuns() {
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("CORVINA_KILL_RUNS", &ok);
    return ok && n > 0 ? n : 40;
}

// The text every field of generation `g` holds: long enough that a save takes a while and a
// torn file shows, with two-byte characters so that the GBK encoding is part of what is saved.
QString generationText(int g, int field) {
    return QStringLiteral("%1/%2 ").arg(g).arg(field) + QString(120, QChar(0x66F2));
}

// The generation a field's text names; -1 when the text is not exactly one of them.
int generationOf(const QString& text, int field) {
    const int g = text.section(u'/', 0, 0).toInt();
    return text == generationText(g, field) ? g : -1;
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class StoreFaults : public ::testing::Test {
protected:
    void SetUp() override {
        savedConfig_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath("config")));
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", savedConfig_); }

    // Runs `save(generation)` for generation after generation in a child process, kills it with
    // SIGKILL after a random pause, and calls `check` after each kill with the first generation
    // the child was to save. The pauses reach over about three saves, as long as one save takes
    // here (sanitizers and a busy disk make it slower).
    void killWhileSaving(const std::function<void(int)>& save,
                         const std::function<void(int)>& check, int& nextGeneration) {
        QElapsedTimer timer;
        timer.start();
        save(nextGeneration);
        const int saveMicroseconds = int(timer.nsecsElapsed() / 1000);
        check(nextGeneration);
        std::mt19937 random(20);  // fixed: a failure repeats
        std::uniform_int_distribution<int> pause(0, std::max(2000, 3 * saveMicroseconds));
        for (int run = 0; run < killRuns(); ++run) {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                try {
                    for (int g = nextGeneration;; ++g) save(g);
                } catch (...) {
                    ::_exit(3);
                }
            }
            ::usleep(useconds_t(pause(random)));
            ::kill(child, SIGKILL);
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFSIGNALED(status))
                << "the saving child ended by itself, status " << status;
            check(nextGeneration);
            if (HasFatalFailure() || HasFailure()) return;
        }
    }

    QTemporaryDir dir_;
    QByteArray savedConfig_;
};

TEST_F(StoreFaults, TitleFileKilledMidSaveIsTheOldOrTheNewOne) {
    const QString path = dir_.filePath("CorvinaCD.ini");
    auto save = [&](int g) {
        TIniFile file(path);
        file.beginUpdate();
        file.writeString(kDisc, QStringLiteral("Artist"), generationText(g, 0));
        for (int t = 0; t < kTracks; ++t)
            file.writeString(kDisc, QString::number(t), generationText(g, t + 1));
        file.endUpdate();
    };
    save(0);
    int last = 0;
    int next = 1;
    killWhileSaving(
        save,
        [&](int first) {
            // The player's own reader, and every field from one and the same save.
            TIniFile file(path);
            const int g = generationOf(file.readString(kDisc, "Artist", ""), 0);
            ASSERT_GE(g, last) << "torn or older title file:\n" << readBytes(path).left(400).data();
            ASSERT_TRUE(g == last || g >= first);
            for (int t = 0; t < kTracks; ++t)
                ASSERT_EQ(generationOf(file.readString(kDisc, QString::number(t), ""), t + 1), g)
                    << "track " << t;
            last = g;
            next = g + 1;
        },
        next);
    EXPECT_GT(last, 0) << "no save completed in " << killRuns() << " runs";
}

TEST_F(StoreFaults, SettingsKilledMidWriteAreTheOldOrTheNewOnes) {
    {
        TRegistry reg;
        ASSERT_TRUE(reg.openKey(kSettings, true));
        reg.writeBool("ShowSplash", true);
        reg.writeString("Titles", generationText(0, 0));
        reg.writeInteger("Generation", 0);
    }
    // Each generation is two writes: the long value, then its number.
    auto save = [](int g) {
        TRegistry reg;
        reg.openKey(kSettings, true);
        reg.writeString("Titles", generationText(g, 0));
        reg.writeInteger("Generation", g);
    };
    int last = 0;
    int next = 1;
    const QString path = registry::storeFilePath(RootKey::CurrentUser);
    killWhileSaving(
        save,
        [&](int) {
            // The file as it is on disk, then the player's own reader.
            const QByteArray bytes = readBytes(path);
            const auto parsed = registry::parseRegFile(bytes, QStringLiteral("HKEY_CURRENT_USER"));
            ASSERT_EQ(parsed.badLines, 0) << bytes.right(300).data();
            const registry::RegKey* key = parsed.root.find(kSettings.split(u'\\'));
            ASSERT_TRUE(key);
            TRegistry reg;
            ASSERT_TRUE(reg.openKey(kSettings, false));
            EXPECT_TRUE(reg.readBool("ShowSplash"));
            const int number = reg.readInteger("Generation");
            const int titles = generationOf(reg.readString("Titles"), 0);
            ASSERT_GE(number, last);
            ASSERT_TRUE(titles == number || titles == number + 1)
                << "Titles of generation " << titles << " beside number " << number << "\n"
                << bytes.right(300).data();
            last = number;
            next = number + 1;  // a generation whose number was not written is saved again
        },
        next);
    EXPECT_GT(last, 0) << "no write completed in " << killRuns() << " runs";
    // Never taken for a damaged file: no copy kept aside.
    EXPECT_TRUE(QDir(registry::storeFolder()).entryList({"*.corrupt-*"}, QDir::Files).isEmpty());
}

// A tmpfs of a few pages, filled to the last byte by another file. Needs root (or the right to
// mount); where mounting is not permitted the tests say so and skip.
class FullDiskStores : public StoreFaults {
protected:
    void SetUp() override {
        StoreFaults::SetUp();
        mount_ = dir_.filePath("disk");
        QDir().mkpath(mount_);
        if (::mount("tmpfs", QFile::encodeName(mount_).constData(), "tmpfs", 0, "size=256k") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno) << ")";
        mounted_ = true;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(mount_ + "/config"));
    }
    void TearDown() override {
        if (mounted_) ::umount2(QFile::encodeName(mount_).constData(), MNT_DETACH);
        StoreFaults::TearDown();
    }
    // Fills what is left of the disk.
    void fill() {
        QFile filler(mount_ + "/filler");
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    void makeRoom() { QFile::remove(mount_ + "/filler"); }
    QStringList entries(const QString& folder) const {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    QString mount_;
    bool mounted_ = false;
};

TEST_F(FullDiskStores, TitleSaveFailsWithItsMessageAndLeavesTheOldFileAlone) {
    const QString path = mount_ + "/CorvinaCD.ini";
    TIniFile file(path);
    file.writeString(kDisc, "Artist", QStringLiteral("旧的歌手"));
    const QByteArray before = readBytes(path);
    fill();
    try {
        file.writeString(kDisc, "0", QString(3000, QChar(0x66F2)));
        ADD_FAILURE() << "a save on a full disk succeeded";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Unable to write to ") + path);
    }
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(entries(mount_), QStringList({"CorvinaCD.ini", "filler"}));
    EXPECT_EQ(TIniFile(path).readString(kDisc, "Artist", ""), QStringLiteral("旧的歌手"));
    EXPECT_EQ(TIniFile(path).readString(kDisc, "0", "none"), QStringLiteral("none"));

    makeRoom();  // and once there is room again, the same save goes through
    file.writeString(kDisc, "0", QStringLiteral("第一首"));
    EXPECT_EQ(TIniFile(path).readString(kDisc, "0", ""), QStringLiteral("第一首"));
}

TEST_F(FullDiskStores, SettingsWriteFailsWithItsMessageAndLeavesTheOldFileAlone) {
    TRegistry reg;
    ASSERT_TRUE(reg.openKey(kSettings, true));
    reg.writeBool("StopOnExit", true);
    const QString path = registry::storeFilePath(RootKey::CurrentUser);
    const QByteArray before = readBytes(path);
    fill();
    try {
        reg.writeString("Titles", QString(3000, u'x'));
        ADD_FAILURE() << "a write on a full disk succeeded";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Failed to set data for 'Titles'"));
    }
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(entries(registry::storeFolder()), QStringList({"HKCU.reg"}));
    TRegistry reader;
    ASSERT_TRUE(reader.openKey(kSettings, false));
    EXPECT_TRUE(reader.readBool("StopOnExit"));
    EXPECT_FALSE(reader.valueExists("Titles"));

    makeRoom();
    reg.writeString("Titles", QStringLiteral("ok"));
    EXPECT_EQ(reader.readString("Titles"), QStringLiteral("ok"));
}

}  // namespace
}  // namespace corvina
