// Profile files on disk: defaults, what a write leaves on disk, failing writes, the parsed copy
// kept between reads, and where the disc title file lives.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <thread>

#include "platform/ErrorReport.h"
#include "platform/profile/IniFile.h"
#include "platform/profile/ProfileText.h"

namespace corvina {
namespace {

// Tests run as root on some machines, and root writes into any folder; while this lives the
// process works as an ordinary user, so a folder's read-only mode holds.
class Unprivileged {
public:
    Unprivileged() : root_(::geteuid() == 0) {
        if (root_) {
            EXPECT_EQ(::setresuid(65534, 65534, 0), 0);
        }
    }
    ~Unprivileged() {
        if (root_) {
            EXPECT_EQ(::setresuid(-1, 0, -1), 0);
            EXPECT_EQ(::setresuid(0, 0, 0), 0);
        }
    }

private:
    bool root_;
};

// A folder every user may enter (the test program's own scratch folder is private).
struct Folder {
    QTemporaryDir dir;
    Folder() { QFile::setPermissions(dir.path(), QFile::Permissions(0x7755)); }
    QString file(const QString& name) const { return QDir(dir.path()).filePath(name); }
};

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

void put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QString writeError(TIniFile& ini, const QString& section, const QString& key,
                   const QString& value) {
    try {
        ini.writeString(section, key, value);
    } catch (const Error& e) {
        return e.message();
    }
    return {};
}

TEST(ProfileFile, MissingFileGivesDefaultsAndTheFirstWriteCreatesItInGbkWithCrlf) {
    Folder folder;
    TIniFile ini(folder.file("CorvinaCD.ini"));
    EXPECT_EQ(ini.readString("12ABCD", "Artist", "Artist"), "Artist");
    ini.writeString("12ABCD", "Artist", QStringLiteral("周杰伦"));
    ini.writeString("12abcd", "0", QStringLiteral("晴天"));
    EXPECT_EQ(contents(ini.fileName()),
              "[12ABCD]\r\nArtist=" + QByteArray::fromHex("d6dcbddcc2d7") +
                  "\r\n0=" + QByteArray::fromHex("c7e7ccec") + "\r\n");
    EXPECT_EQ(TIniFile(ini.fileName()).readString("12ABCD", "ARTIST", "-"), "周杰伦");
    EXPECT_EQ(TIniFile(ini.fileName()).readString("12ABCD", "1", "Track 2"), "Track 2");
}

TEST(ProfileFile, AFailedWriteNamesTheFileAndKeepsWhatWasThere) {
    Folder folder;
    QDir(folder.dir.path()).mkdir("ro");
    const QString path = folder.file("ro/CorvinaCD.ini");
    TIniFile ini(path);
    ini.writeString("S", "Artist", "Kept");
    QFile::setPermissions(path, QFile::Permissions(0x6666));
    QFile::setPermissions(folder.file("ro"), QFile::Permissions(0x5555));
    {
        Unprivileged user;
        EXPECT_EQ(writeError(ini, "S", "Title", "Lost"), "Unable to write to " + path);
        EXPECT_EQ(writeError(ini, "S", "Artist", "Lost"), "Unable to write to " + path);
        EXPECT_EQ(ini.readString("S", "Artist", "-"), "Kept");
    }
    QFile::setPermissions(folder.file("ro"), QFile::Permissions(0x7755));
    EXPECT_EQ(contents(path), "[S]\r\nArtist=Kept\r\n");

    // A file marked read-only in a writable folder, and one that cannot even be read: neither is
    // replaced.
    for (int mode : {0x4444, 0}) {
        QFile::setPermissions(path, QFile::Permissions(mode));
        Unprivileged user;
        EXPECT_EQ(writeError(ini, "S", "Title", "Lost"), "Unable to write to " + path);
    }
    QFile::setPermissions(path, QFile::Permissions(0x6644));
    EXPECT_EQ(contents(path), "[S]\r\nArtist=Kept\r\n");
    EXPECT_EQ(writeError(ini, "S", "Artist", "Kept"), "");  // nothing to write: no error

    // An update that cannot be written leaves none of its values behind.
    QFile::setPermissions(folder.file("ro"), QFile::Permissions(0x5555));
    {
        Unprivileged user;
        ini.beginUpdate();
        ini.writeString("S", "Title", "Lost");
        ini.writeString("T", "Artist", "Lost");
        QString error;
        try {
            ini.endUpdate();
        } catch (const Error& e) {
            error = e.message();
        }
        EXPECT_EQ(error, "Unable to write to " + path);
    }
    QFile::setPermissions(folder.file("ro"), QFile::Permissions(0x7755));
    EXPECT_EQ(contents(path), "[S]\r\nArtist=Kept\r\n");
}

TEST(ProfileFile, ReadsSeeOutsideEditsMadeWithinTheSameSecond) {
    Folder folder;
    const QString path = folder.file("CorvinaCD.ini");
    const QByteArray native = QFile::encodeName(path);
    TIniFile ini(path);
    ini.writeString("S", "Artist", "AAAA");
    ASSERT_EQ(ini.readString("S", "Artist", "-"), "AAAA");
    struct stat before {};
    ASSERT_EQ(::stat(native.constData(), &before), 0);
    const timespec sameTimes[2] = {before.st_atim, before.st_mtim};

    // Replaced by another file of the same size and time (an editor saving by rename).
    put(path + ".new", "[S]\r\nArtist=BBBB\r\n");
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path + ".new").constData(), sameTimes, 0), 0);
    ASSERT_EQ(::rename(QFile::encodeName(path + ".new").constData(), native.constData()), 0);
    EXPECT_EQ(ini.readString("S", "Artist", "-"), "BBBB");

    // Rewritten in place, longer, with its time set back.
    put(path, "[S]\r\nArtist=CCCCC\r\n");
    ASSERT_EQ(::utimensat(AT_FDCWD, native.constData(), sameTimes, 0), 0);
    EXPECT_EQ(ini.readString("S", "Artist", "-"), "CCCCC");

    // Rewritten in place with the same size and its time set back: only the change time, which
    // nobody can set back, tells (it moves in clock ticks, hence the pause).
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    put(path, "[S]\r\nArtist=DDDDD\r\n");
    ASSERT_EQ(::utimensat(AT_FDCWD, native.constData(), sameTimes, 0), 0);
    EXPECT_EQ(ini.readString("S", "Artist", "-"), "DDDDD");

    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(ini.readString("S", "Artist", "gone"), "gone");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

TEST(ProfileFile, ALargeFileReadsAsItsTextDoes) {
    // Over a megabyte, so only an index of it is kept between reads. Every read must answer as
    // the parsed text itself: repeated sections (the first wins), names differing in case, GBK
    // names, quoted values, lines of no section, a last line without a line break.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("CorvinaCD.ini"));
    QByteArray bytes = "stray=before any section\r\n";
    for (int d = 0; d < 6000; ++d) {
        bytes += "[" + QByteArray::number(0x1000 + d, 16).toUpper() + "]\r\n";
        bytes += "Artist=\xd6\xdc\xbd\xdc\xc2\xd7 " + QByteArray::number(d) + "\r\n";
        bytes += "Title=\" Album " + QByteArray::number(d) + " \"\r\n; comment\r\n";
        for (int t = 0; t < 12; ++t)
            bytes += QByteArray::number(t) + "=Track " + QByteArray::number(t + d) + "\r\n";
        if (d % 1000 == 7)
            bytes += "[" + QByteArray::number(0x1000 + d - 3, 16).toLower() + "]\r\n0=later\r\n";
    }
    // A section longer than the piece a read fetches first.
    bytes += "[LONG]\r\n";
    for (int k = 0; k < 500; ++k)
        bytes += "k" + QByteArray::number(k) + "=value " + QByteArray::number(k) + "\r\n";
    bytes += "[\xb3\xaa\xc6\xac]\nArtist=\xb8\xe8\xca\xd6";
    ASSERT_GT(bytes.size(), 1024 * 1024);
    writeFile(path, bytes);

    const profile::ProfileText text(bytes);
    const TIniFile ini(path);
    const QStringList sections = {"1000", "1004", "1004", "1FFF",    "2000", "2F6F",
                                  "2f6f", "2F70", "唱片", "nowhere", "", "long"};
    const QStringList keys = {"Artist", "title", "0", "11", "12", "stray", "comment", "k499"};
    for (int pass = 0; pass < 2; ++pass) {  // the first pass reads the file, the second the index
        for (const QString& section : sections)
            for (const QString& key : keys)
                EXPECT_EQ(ini.readString(section, key, "(none)"),
                          text.value(section, key).value_or("(none)"))
                    << section.toStdString() << " " << key.toStdString();
    }

    // A write goes into the file, and reads after it see the new text.
    TIniFile(path).writeString("1FFF", "0", "新的名字");
    EXPECT_EQ(ini.readString("1fff", "0", ""), "新的名字");
    EXPECT_EQ(ini.readString("1FFE", "0", ""), "Track 4094");
    // So does another program's.
    writeFile(path, "[1FFF]\r\n0=theirs\r\n" + QByteArray(2 * 1024 * 1024, ';'));
    EXPECT_EQ(ini.readString("1FFF", "0", ""), "theirs");
}

TEST(DiscTitlePath, BesideTheProgramOrTheUsersCopyOfItOnceSaved) {
    Folder folder;
    QDir(folder.dir.path()).mkdir("prog");
    const QString prog = folder.file("prog");
    const QString data = folder.file("data");
    const QString beside = folder.file("prog/CorvinaCD.ini");
    const QString own = folder.file("data/Corvina/CorvinaCD.ini");
    EXPECT_EQ(discTitleFilePath(prog, data), beside);

    put(beside, "; shipped\r\n[S]\r\nArtist=Shared\r\n");
    QFile::setPermissions(prog, QFile::Permissions(0x5555));
    QString path;
    {
        Unprivileged user;
        path = discTitleFilePath(prog, data);
    }
    // Read where it stands until the first save, which starts the user's own copy.
    EXPECT_EQ(path, beside);
    TIniFile ini(path);
    EXPECT_EQ(ini.readString("S", "Artist", "-"), "Shared");
    ini.writeString("S", "Title", "Mine");
    EXPECT_EQ(contents(beside), "; shipped\r\n[S]\r\nArtist=Shared\r\n");
    EXPECT_EQ(contents(own), "; shipped\r\n[S]\r\nArtist=Shared\r\nTitle=Mine\r\n");
    ini.writeString("S", "Artist", "Me");  // the same accessor goes on with the copy
    EXPECT_EQ(ini.readString("S", "Title", "-"), "Mine");
    EXPECT_EQ(ini.readString("S", "Artist", "-"), "Me");
    {
        Unprivileged user;
        path = discTitleFilePath(prog, data);
    }
    EXPECT_EQ(path, own);
    QFile::setPermissions(prog, QFile::Permissions(0x7755));
}

}  // namespace
}  // namespace corvina
