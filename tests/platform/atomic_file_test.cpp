// Replacing files whole: what a new file and a replaced one look like afterwards, and a write that
// cannot be made. (A full disk is tried through the title file and settings stores, which write
// this way.)
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/AtomicFile.h"

namespace corvina {
namespace {

mode_t modeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

TEST(AtomicFile, ANewFileTakesItsModeAReplacedOneKeepsItsOwnAndNoTemporaryFileStays) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("settings.reg"));
    ASSERT_TRUE(writeFileAtomically(path, "first", nullptr, 0600));
    EXPECT_EQ(contents(path), "first");
    EXPECT_EQ(modeOf(path), mode_t(0600));

    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    ASSERT_TRUE(writeFileAtomically(path, "second", nullptr, 0600));
    EXPECT_EQ(contents(path), "second");
    EXPECT_EQ(modeOf(path), mode_t(0640));

    const QStringList left =
        QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(left, QStringList{QStringLiteral("settings.reg")});
}

TEST(AtomicFile, AWriteClearsTemporaryFilesThatAKillLeftLongAgoAndNothingElse) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("HKCU.reg"));
    const auto make = [&](const QString& name, qint64 secondsAgo) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("half");
        file.flush();
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo),
                                     QFileDevice::FileModificationTime));
    };
    make(QStringLiteral(".HKCU.reg.aB3xYz"), 3600);   // a kill's leftover
    make(QStringLiteral(".HKCU.reg.Qw12er"), 1);      // another write on its way
    make(QStringLiteral(".HKCU.reg.backup1"), 3600);  // not one of ours
    make(QStringLiteral(".HKLM.reg.aB3xYz"), 3600);   // another file's
    ASSERT_TRUE(writeFileAtomically(path, "new"));
    QStringList left =
        QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    left.sort();
    EXPECT_EQ(left,
              (QStringList{QStringLiteral(".HKCU.reg.Qw12er"), QStringLiteral(".HKCU.reg.backup1"),
                           QStringLiteral(".HKLM.reg.aB3xYz"), QStringLiteral("HKCU.reg")}));
}

TEST(AtomicFile, ThroughALinkTheFileItPointsAtIsReplacedAndTheLinkStays) {
    QTemporaryDir folder;
    const QString real = folder.filePath(QStringLiteral("dotfiles/mimeapps.list"));
    const QString link = folder.filePath(QStringLiteral("mimeapps.list"));
    ASSERT_TRUE(QDir().mkpath(folder.filePath(QStringLiteral("dotfiles"))));
    ASSERT_TRUE(writeFileAtomically(real, "old"));
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_TRUE(writeFileAtomically(link, "new"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(contents(real), "new");
}

TEST(AtomicFile, AWriteThatCannotBeMadeSaysWhyAndLeavesNothing) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("missing/settings.reg"));
    QString error;
    EXPECT_FALSE(writeFileAtomically(path, "lost", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}

}  // namespace
}  // namespace corvina
