// The registry accessor against its files: messages, names, order, atomic writes, outside edits
// and damaged files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "platform/registry/RegFile.h"
#include "platform/registry/RegStore.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestSupport.h"

namespace corvina {
namespace {

const QString kSettings = QStringLiteral("Software\\Velmaro\\Corvina\\4.3");

// Each test gets a configuration folder of its own.
class RegistryStore : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path()));
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", saved_); }

    QString folder() const { return dir_.filePath("Corvina"); }
    QString userFile() const { return registry::storeFilePath(RootKey::CurrentUser); }
    QByteArray readFile(const QString& path) const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeFile(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
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
    QByteArray saved_;
};

TEST_F(RegistryStore, ReportsTheAccessorMessages) {
    TRegistry reg;
    EXPECT_EQ(messageOf([&] { reg.readBool("ShowSplash"); }),
              "Failed to get data for 'ShowSplash'");
    EXPECT_EQ(messageOf([&] { reg.writeBool("ShowSplash", true); }),
              "Failed to set data for 'ShowSplash'");
    EXPECT_EQ(messageOf([&] { reg.readString("Path"); }), "Failed to get data for 'Path'");

    ASSERT_TRUE(reg.openKey(kSettings, true));
    reg.writeString("ShowSplash", "1");
    reg.writeInteger("Count", -2);
    EXPECT_EQ(messageOf([&] { reg.readBool("ShowSplash"); }), "Invalid data type for 'ShowSplash'");
    EXPECT_EQ(messageOf([&] { reg.readString("Count"); }), "Invalid data type for 'Count'");
    EXPECT_EQ(messageOf([&] { reg.readBool("Missing"); }), "Failed to get data for 'Missing'");
    EXPECT_EQ(reg.readString("Missing"), "");  // a missing string reads as empty
    EXPECT_EQ(reg.readInteger("Count"), -2);
    EXPECT_FALSE(reg.deleteValue("Missing"));
    EXPECT_EQ(messageOf([&] { reg.writeString("bad\nname", "x"); }),
              "Failed to set data for 'bad\nname'");
    EXPECT_EQ(messageOf([&] { reg.createKey("A\\\\B"); }), "Failed to create key A\\\\B");
}

TEST_F(RegistryStore, NamesIgnoreCaseKeepSpellingAndCreationOrder) {
    TRegistry reg;
    for (const char* name : {"Zulu", "alpha", "Mike"}) reg.createKey(QString("Root\\") + name);
    reg.createKey("ROOT\\ALPHA\\Inner");
    ASSERT_TRUE(reg.openKey("root", false));
    EXPECT_EQ(reg.getKeyNames(), QStringList({"Zulu", "alpha", "Mike"}));

    ASSERT_TRUE(reg.openKey("root\\Alpha", false));
    reg.writeBool("TranslucentMenu", true);
    reg.writeBool("translucentmenu", false);
    EXPECT_TRUE(reg.valueExists("TRANSLUCENTMENU"));
    EXPECT_FALSE(reg.readBool("TranslucentMenu"));

    // The file says the same, read afresh.
    const auto parsed = registry::parseRegFile(readFile(userFile()), "HKEY_CURRENT_USER");
    const registry::RegKey* alpha = parsed.root.find({"Root", "alpha"});
    ASSERT_NE(alpha, nullptr);
    ASSERT_EQ(alpha->values.size(), 1u);
    EXPECT_EQ(alpha->values.front().first, "TranslucentMenu");
    EXPECT_FALSE(reg.openKey("Nowhere", false));
}

TEST_F(RegistryStore, SeesOutsideEditsAndOtherAccessors) {
    TRegistry writer;
    TRegistry reader(RootKey::CurrentUser);
    writer.openKey(kSettings, true);
    writer.writeBool("AlwaysOnTop", true);
    reader.openKey(kSettings, false);
    EXPECT_TRUE(reader.readBool("AlwaysOnTop"));

    writeFile(userFile(),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Software\\Velmaro\\Corvina\\4.3]\n"
              "\"AlwaysOnTop\"=dword:00000000\n\"Translucent\"=dword:00000001\n");
    EXPECT_FALSE(reader.readBool("AlwaysOnTop"));
    EXPECT_TRUE(reader.readBool("Translucent"));

    // A key removed behind an open accessor takes no more values.
    writeFile(userFile(), "Windows Registry Editor Version 5.00\n");
    EXPECT_EQ(messageOf([&] { writer.writeBool("Translucent", false); }),
              "Failed to set data for 'Translucent'");
    EXPECT_FALSE(reader.valueExists("Translucent"));
}

TEST_F(RegistryStore, NoReaderEverSeesAHalfWrittenFile) {
    TRegistry reg;
    reg.openKey(kSettings, true);
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::atomic<int> reads{0};
    const QString path = userFile();
    std::thread reader([&] {
        while (!done) {
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly)) continue;
            const QByteArray bytes = f.readAll();
            const auto parsed = registry::parseRegFile(bytes, "HKEY_CURRENT_USER");
            const registry::RegKey* key = parsed.root.find(kSettings.split('\\'));
            if (parsed.badLines != 0 || !key) ++torn;
            ++reads;
        }
    });
    for (int i = 0; i < 100; ++i) reg.writeString(QString("Track %1").arg(i), QString(40, 'x'));
    done = true;
    reader.join();
    EXPECT_GT(reads, 0);
    EXPECT_EQ(torn, 0) << "of " << reads << " reads";
    // Nothing is left behind: only the store file itself.
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files | QDir::Hidden), QStringList({"HKCU.reg"}));
}

TEST_F(RegistryStore, KeepsADamagedFileAsideAndStartsAfreshSayingSoOnce) {
    const QByteArray damaged =
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Velmaro\\Corvina\\4.3]\n"
        "\"ShowSplash\"=dword:00000000\n"
        "\"Path\"=\"C:\\unescaped\"\n";
    writeFile(userFile(), damaged);
    test::ErrorCapture errors;
    test::NoticeCapture notices;
    TRegistry reg;
    // As on a first start: the key is not there, so the player writes its defaults again.
    EXPECT_FALSE(reg.openKey(kSettings, false));
    EXPECT_TRUE(errors.messages().isEmpty());
    ASSERT_EQ(notices.messages().size(), 1);
    EXPECT_TRUE(notices.messages().front().contains("HKCU.reg.corrupt-"));

    const QStringList copies = QDir(folder()).entryList({"HKCU.reg.corrupt-*"});
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(readFile(QDir(folder()).filePath(copies.front())), damaged);

    ASSERT_TRUE(reg.openKey(kSettings, true));
    reg.writeBool("AlwaysOnTop", true);  // the store goes on, now with a clean file
    const auto parsed = registry::parseRegFile(readFile(userFile()), "HKEY_CURRENT_USER");
    EXPECT_EQ(parsed.badLines, 0);
    EXPECT_EQ(readFile(QDir(folder()).filePath(copies.front())), damaged);

    // Later uses are quiet and find what was written since.
    TRegistry again;
    ASSERT_TRUE(again.openKey(kSettings, false));
    EXPECT_TRUE(again.readBool("AlwaysOnTop"));
    EXPECT_FALSE(again.valueExists("ShowSplash"));
    EXPECT_EQ(notices.messages().size(), 1);
    EXPECT_TRUE(errors.messages().isEmpty());
    EXPECT_EQ(QDir(folder()).entryList({"HKCU.reg.corrupt-*"}).size(), 1);
}

TEST_F(RegistryStore, TheMachineRootRecoversTheSameWay) {
    const QString machineFile = registry::storeFilePath(RootKey::LocalMachine);
    writeFile(machineFile, "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software]\n"
                           "garbage line\n");
    test::NoticeCapture notices;
    TRegistry reg(RootKey::LocalMachine);
    EXPECT_FALSE(reg.keyExists("Software"));
    ASSERT_TRUE(reg.openKey("Software\\Velmaro\\Corvina", true));
    reg.writeString("Path", "/usr/bin/corvina");
    EXPECT_EQ(notices.messages().size(), 1);
    EXPECT_EQ(QDir(folder()).entryList({"HKLM.reg.corrupt-*"}).size(), 1);
    EXPECT_EQ(registry::parseRegFile(readFile(machineFile), "HKEY_LOCAL_MACHINE").badLines, 0);
}

TEST_F(RegistryStore, AStoreThatCannotBeWrittenFailsCleanly) {
    TRegistry reg;
    reg.openKey(kSettings, true);
    reg.writeBool("StopOnExit", true);
    const QByteArray before = readFile(userFile());

    // The folder is moved away and a plain file takes its name: nothing can be written there.
    ASSERT_TRUE(QDir().rename(folder(), folder() + ".saved"));
    writeFile(dir_.filePath("x"), "");
    ASSERT_TRUE(QFile::rename(dir_.filePath("x"), folder()));
    EXPECT_EQ(messageOf([&] { reg.createKey("Software\\New"); }),
              "Failed to create key Software\\New");
    EXPECT_EQ(messageOf([&] { reg.writeBool("StopOnExit", false); }),
              "Failed to set data for 'StopOnExit'");
    EXPECT_EQ(readFile(folder() + ".saved/HKCU.reg"), before);

    // A store file that cannot be replaced (a folder in its place) leaves no temporary behind.
    test::ErrorCapture unreadable;
    QFile::remove(folder());
    QDir().mkpath(folder() + "/HKCU.reg/inside");
    EXPECT_EQ(messageOf([&] { reg.createKey("Software"); }), "Failed to create key Software");
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

}  // namespace
}  // namespace corvina
