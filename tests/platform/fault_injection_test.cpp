// Faults injected for real: the process killed in the middle of saves, and a disk that is full.
// Afterwards every file is the old one or the new one, readable, and nothing half-written stays.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <chrono>
#include <thread>

#include "platform/ErrorReport.h"
#include "platform/profile/IniFile.h"
#include "platform/registry/RegFile.h"
#include "platform/registry/RegStore.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestSupport.h"

namespace corvina {
namespace {

const QString kSection = QStringLiteral("12ABCD");
const QString kSettings = QStringLiteral("Software\\Velmaro\\Corvina\\4.3");
constexpr int kNames = 40;

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Generation `g` of a disc's names: every name carries g, and a long tail so that a save takes
// several writes.
QString titleName(int g, int key) {
    return QStringLiteral("第%1代 曲目 %2 ").arg(g).arg(key) + QString(60, QChar(u'音'));
}

void saveTitles(const QString& path, int g) {
    TIniFile file(path);
    file.beginUpdate();
    file.writeString(kSection, QStringLiteral("Artist"), QStringLiteral("第%1代").arg(g));
    for (int k = 0; k < kNames; ++k)
        file.writeString(kSection, QString::number(k), titleName(g, k));
    file.endUpdate();
}

// The generation every name of the file agrees on; -1 when they disagree or one is missing.
int titleGeneration(const QString& path) {
    TIniFile file(path);
    const QString artist = file.readString(kSection, QStringLiteral("Artist"), QString());
    bool ok = false;
    const int g = artist.mid(1, artist.size() - 2).toInt(&ok);
    if (!ok) return -1;
    for (int k = 0; k < kNames; ++k)
        if (file.readString(kSection, QString::number(k), QString()) != titleName(g, k)) return -1;
    return g;
}

void writeSettings(int g) {
    TRegistry reg(RootKey::CurrentUser);
    reg.openKey(kSettings, true);
    reg.writeString(QStringLiteral("Blob"), QString(300, QChar(u'a' + g % 26)));
    reg.writeInteger(QStringLiteral("Generation"), g);
}

// Files in `folder` other than the ones named.
QStringList strays(const QString& folder, const QStringList& expected) {
    QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : expected) left.removeAll(name);
    return left;
}

QString messageOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Error& e) {
        return e.message();
    }
    return QString();
}

int killRounds() {
    const int rounds = qEnvironmentVariableIntValue("CORVINA_KILL_RUNS");
    return rounds > 0 ? rounds : 60;
}

// Forks a child that runs `work(generation)` for generations 1, 2, ... until it is killed with
// SIGKILL at a random moment; then `check` looks at what is on disk. Repeats `rounds` times.
template <typename Work, typename Check>
void killDuring(int rounds, Work work, Check check) {
    QRandomGenerator random(20261208);
    int next = 1;
    for (int round = 0; round < rounds; ++round) {
        const int first = next;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int g = first;; ++g) work(g);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(200, 20000)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself";
        const int seen = check();
        ASSERT_GE(seen, first - 1) << "round " << round << ": a torn or older file";
        next = seen + 1;
    }
}

TEST(FaultInjection, AKillDuringATitleSaveLeavesTheOldOrTheNewFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("CorvinaCD.ini"));
    saveTitles(path, 0);
    killDuring(
        killRounds(), [&](int g) { saveTitles(path, g); }, [&] { return titleGeneration(path); });
    // A kill can leave a temporary file of the save it cut short; the title file is never one.
    for (const QString& stray : strays(dir.path(), {QStringLiteral("CorvinaCD.ini")}))
        EXPECT_TRUE(stray.startsWith(QStringLiteral(".CorvinaCD.ini."))) << stray.toStdString();
}

TEST(FaultInjection, AKillDuringASettingsWriteLeavesTheOldOrTheNewFile) {
    QTemporaryDir dir;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    writeSettings(0);
    const QString file = registry::storeFilePath(RootKey::CurrentUser);
    killDuring(killRounds(), writeSettings, [&] {
        const auto parsed =
            registry::parseRegFile(readAll(file), registry::rootName(RootKey::CurrentUser));
        if (parsed.badLines != 0) return -1;
        TRegistry reg(RootKey::CurrentUser);
        if (!reg.openKey(kSettings, false)) return -1;
        const QString blob = reg.readString(QStringLiteral("Blob"));
        const int g = reg.readInteger(QStringLiteral("Generation"));
        // Blob is written before Generation: it belongs to g or to the save after it.
        if (blob != QString(300, QChar(u'a' + g % 26)) &&
            blob != QString(300, QChar(u'a' + (g + 1) % 26)))
            return -1;
        return g;
    });
    qputenv("XDG_CONFIG_HOME", saved);
}

TEST(DamagedTitleFile, ASaveKeepsEveryByteItCannotMakeSenseOf) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("CorvinaCD.ini"));
    // Names of the user's, between lines no profile reader understands: binary junk, NULs,
    // bytes that are not GBK, a UTF-16 fragment, an unclosed section.
    QByteArray junk("[12ABCD]\r\nArtist=\xd5\xc5\xc8\xfd\r\n0=\xb5\xda\xd2\xbb\r\n");
    static const char binary[] = "\x00\x01\xff\xfe[\x80\x80=\r\n";
    static const char more[] = "a\0b\0c\0\r\n[unclosed\r\n=no key\r\n\x81\r\n";
    junk += QByteArray(binary, sizeof binary - 1);
    junk += QByteArray(more, sizeof more - 1);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(junk);
    file.close();

    TIniFile ini(path);
    EXPECT_EQ(ini.readString(kSection, QStringLiteral("Artist"), QString()),
              QStringLiteral("张三"));
    ini.writeString(QStringLiteral("ABCDEF"), QStringLiteral("Artist"), QStringLiteral("李四"));
    const QByteArray after = readAll(path);
    EXPECT_TRUE(after.startsWith(junk)) << "the old text was not kept byte for byte";
    EXPECT_EQ(ini.readString(QStringLiteral("ABCDEF"), QStringLiteral("Artist"), QString()),
              QStringLiteral("李四"));
    EXPECT_EQ(ini.readString(kSection, QStringLiteral("0"), QString()), QStringLiteral("第一"));
}

TEST(DamagedTitleFile, AFileThatCannotBeReadIsNeverReplaced) {
    QTemporaryDir dir;
    // Something that is not a readable file stands where the title file should be.
    const QString path = dir.filePath(QStringLiteral("CorvinaCD.ini"));
    ASSERT_TRUE(QDir().mkpath(path + QStringLiteral("/inside")));
    TIniFile ini(path);
    EXPECT_EQ(messageOf([&] { ini.writeString(kSection, "0", "x"); }),
              QStringLiteral("Unable to write to ") + path);
    EXPECT_TRUE(QFileInfo(path + QStringLiteral("/inside")).isDir());
}

// A tiny tmpfs, mounted for the test (root only), filled to the last block.
class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
        ASSERT_TRUE(dir_.isValid());
        if (::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0,
                    "size=256k,mode=0700") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here";
        mounted_ = true;
    }
    void TearDown() override {
        if (mounted_) ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    QString path(const QString& name) const { return dir_.filePath(name); }
    // Fills what is left of the disk.
    void fill() {
        QFile filler(path(QStringLiteral("filler")));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();
        // The last partial block too.
        QFile tail(path(QStringLiteral("filler")));
        tail.open(QIODevice::Append);
        while (tail.write("x", 1) == 1 && tail.flush()) {
        }
    }

    QTemporaryDir dir_;
    bool mounted_ = false;
};

TEST_F(FullDisk, ATitleSaveFailsWithItsMessageAndLeavesTheFileAsItWas) {
    const QString file = path(QStringLiteral("CorvinaCD.ini"));
    saveTitles(file, 7);
    const QByteArray before = readAll(file);
    fill();
    EXPECT_EQ(messageOf([&] { saveTitles(file, 8); }),
              QStringLiteral("Unable to write to ") + file);
    TIniFile ini(file);
    EXPECT_EQ(messageOf([&] { ini.writeString(kSection, "0", titleName(9, 0)); }),
              QStringLiteral("Unable to write to ") + file);
    EXPECT_EQ(readAll(file), before);
    EXPECT_EQ(titleGeneration(file), 7);
    EXPECT_EQ(strays(dir_.path(), {"CorvinaCD.ini", "filler"}), QStringList());
}

TEST_F(FullDisk, ASettingsWriteFailsWithItsMessageAndLeavesTheFileAsItWas) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path()));
    writeSettings(3);
    const QString file = registry::storeFilePath(RootKey::CurrentUser);
    const QByteArray before = readAll(file);
    fill();
    TRegistry reg(RootKey::CurrentUser);
    ASSERT_TRUE(reg.openKey(kSettings, false));
    EXPECT_EQ(messageOf([&] { reg.writeString("Blob", QString(2000, 'z')); }),
              QStringLiteral("Failed to set data for 'Blob'"));
    EXPECT_EQ(readAll(file), before);
    EXPECT_EQ(reg.readInteger("Generation"), 3);
    EXPECT_EQ(strays(dir_.path() + "/Corvina", {"HKCU.reg"}), QStringList());
    qputenv("XDG_CONFIG_HOME", saved);
}

}  // namespace
}  // namespace corvina
