#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

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

}  // namespace

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error,
                         mode_t newFileMode) {
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
    const mode_t mode = ::stat(target.constData(), &st) == 0 ? st.st_mode & 07777
                        : newFileMode == mode_t(-1)          ? umaskDefault()
                                                             : newFileMode;
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        if (error) *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    bool ok = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
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
        ::unlink(temp.constData());
        if (error) *error = QString::fromLocal8Bit(std::strerror(failure));
        return false;
    }
    const int folder = ::open(QFile::encodeName(info.absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

}  // namespace corvina
