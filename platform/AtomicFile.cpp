#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRandomGenerator>
#include <QSet>
#include <cerrno>
#include <cstring>

#include "platform/FolderEntries.h"

namespace corvina {
namespace {

mode_t umaskDefault() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, const QByteArray& bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        done += n;
    }
    return true;
}

// The bytes in a file without a name (O_TMPFILE), named only once they are all on disk, so a
// kill while writing leaves nothing behind. -1 with errno when the folder's file system cannot
// make such files.
int openUnnamed(const QByteArray& folder) {
    return ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
}

// Gives the unnamed file `fd` the free name `temp` ends up with (its last six characters
// replaced, as mkostemp would).
bool nameUnnamed(int fd, QByteArray& temp) {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (qsizetype i = temp.size() - 6; i < temp.size(); ++i)
            temp[i] = kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, temp.constData(), AT_SYMLINK_FOLLOW) ==
            0)
            return true;
        if (errno != EEXIST) return false;
    }
    return false;
}

// A write killed in the moment between naming its temporary file and renaming it leaves that
// file behind; the next write of the same file clears such leftovers. Only old ones: a
// temporary file of a few seconds may still be on its way to becoming the file. Leftovers come
// from processes that died, so the folder is looked through once per file and run, not at every
// write of the settings, the titles or the volume.
void removeLeftovers(const QFileInfo& info) {
    static QSet<QString> cleared;
    static QMutex guard;
    {
        const QMutexLocker lock(&guard);
        if (cleared.contains(info.absoluteFilePath())) return;
        cleared.insert(info.absoluteFilePath());
    }
    // ".name." and six more characters: what the temporary file of an interrupted write is called.
    const QString prefix = QStringLiteral(".") + info.fileName() + QStringLiteral(".");
    const QDateTime old = QDateTime::currentDateTimeUtc().addSecs(-60);
    const QDir folder = info.absoluteDir();
    const QStringList strays =
        folderEntries(folder, QDir::Files | QDir::Hidden | QDir::System, [&](const QString& name) {
            return name.size() == prefix.size() + 6 && name.startsWith(prefix);
        });
    for (const QString& stray : strays) {
        const QString path = folder.filePath(stray);
        if (QFileInfo(path).lastModified() < old) QFile::remove(path);
    }
}

}  // namespace

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error,
                         mode_t newFileMode, Durability durability) {
    // Through a symbolic link (a settings file kept with the user's other dotfiles) the file it
    // points at is replaced, and the link stays.
    const QFileInfo link(path);
    QString real = path;
    if (link.isSymLink()) {
        real = link.canonicalFilePath();
        if (real.isEmpty()) real = link.symLinkTarget();
    }
    const QFileInfo info(real);
    const QByteArray target = QFile::encodeName(real);
    QByteArray temp = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") +
                                        info.fileName() + QStringLiteral(".XXXXXX"));
    struct stat st {};
    const bool replacing = ::stat(target.constData(), &st) == 0;
    const mode_t mode = replacing                   ? st.st_mode & 07777
                        : newFileMode == mode_t(-1) ? umaskDefault()
                                                    : newFileMode;
    const bool sync = replacing || durability == Durability::Always;
    const QByteArray folderName = QFile::encodeName(info.absolutePath());
    int fd = openUnnamed(folderName);
    const bool unnamed = fd >= 0;
    if (!unnamed) fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        if (error) *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    bool ok = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && (!sync || ::fsync(fd) == 0);
    bool named = !unnamed;
    if (ok && unnamed) ok = named = nameUnnamed(fd, temp);
    int failure = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        failure = errno;
    }
    if (ok && ::rename(temp.constData(), target.constData()) != 0) {
        ok = false;
        failure = errno;
    }
    if (!ok) {
        if (named) ::unlink(temp.constData());
        if (error) *error = QString::fromLocal8Bit(std::strerror(failure));
        return false;
    }
    const int folder =
        sync ? ::open(folderName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    removeLeftovers(info);
    return true;
}

}  // namespace corvina
