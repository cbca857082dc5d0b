#include "app/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/FileDescriptor.h"

namespace corvina {
namespace {

constexpr int kConnectTimeoutMs = 1000;
constexpr char kActivate = 'A';
// Later starts being heard at once; more are turned away (they end anyway).
constexpr std::size_t kMaxClients = 16;
// Later starts that may wait to be accepted while the instance is busy.
constexpr int kBacklog = 64;

enum class Answer { Heard, Busy, Nobody };

// An exclusive lock on a file, waited for up to `timeoutMs`, let go when the object goes or the
// process dies. Nothing is written: unlike a lock file that records its holder, taking it costs
// no wait for the disk, and a player that crashed holding it leaves nothing stale behind.
class FileLock {
public:
    FileLock(const QString& path, int timeoutMs)
        : file_(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (file_.get() < 0) return;
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (::flock(file_.get(), LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) ||
                std::chrono::steady_clock::now() >= giveUp)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

private:
    FileDescriptor file_;
};

// The socket address of `path`; false when the path is too long for one.
bool addressOf(const QByteArray& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || std::size_t(path.size()) >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    return true;
}

// Tells the instance listening at `path`, if any, to come forward. Busy: one listens but has not
// taken the call within the timeout.
Answer signalRunningInstance(const QByteArray& path) {
    sockaddr_un address{};
    if (!addressOf(path, address)) return Answer::Nobody;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return Answer::Nobody;
    // A player that is hung must not hang the start that wants it: connect and write give up
    // after the timeout.
    const timeval timeout{kConnectTimeoutMs / 1000, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    Answer answer = Answer::Heard;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        answer = errno == EAGAIN || errno == EINPROGRESS || errno == ETIMEDOUT ? Answer::Busy
                                                                               : Answer::Nobody;
    } else {
        ssize_t n;
        do n = ::send(fd, &kActivate, 1, MSG_NOSIGNAL);
        while (n < 0 && errno == EINTR);
        if (n != 1) answer = errno == EAGAIN ? Answer::Busy : Answer::Nobody;
    }
    ::close(fd);
    return answer;
}

}  // namespace

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), serverName_(std::move(serverName)) {}

SingleInstance::~SingleInstance() {
    while (!clients_.empty()) dropClient(clients_.begin()->first);
    if (listener_ >= 0) {
        listenerNotifier_.reset();
        ::close(listener_);
        ::unlink(QFile::encodeName(serverName_).constData());
    }
}

QString SingleInstance::defaultServerName() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return QDir(runtime).filePath(QStringLiteral("corvina-instance"));
}

bool SingleInstance::claim() {
    // Two players started at the same moment must not both find no listener and then remove
    // each other's socket: the look-and-listen step is done under a lock file.
    // Without the lock (it could not be made, or another start held it for longer than a look
    // and listen can take) the start goes on: a player that does not start is worse.
    const FileLock lock(serverName_ + QStringLiteral(".lock"), kConnectTimeoutMs * 3);

    switch (signalRunningInstance(QFile::encodeName(serverName_))) {
        case Answer::Heard:
            return false;
        case Answer::Busy:
            // A second player would fight the first for the drive; its socket is not taken over.
            std::fprintf(stderr, "corvina: a player is already running but does not answer\n");
            return false;
        case Answer::Nobody:
            break;
    }
    if (!listen()) {
        std::fprintf(stderr,
                     "corvina: cannot listen on %s (%s); a second start will not be "
                     "handed over\n",
                     qPrintable(serverName_), std::strerror(errno));
    }
    return true;
}

bool SingleInstance::listen() {
    const QByteArray path = QFile::encodeName(serverName_);
    sockaddr_un address{};
    if (!addressOf(path, address)) {
        errno = ENAMETOOLONG;
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    // Nobody answered: whatever socket file is there was left by a player that crashed.
    ::unlink(path.constData());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.constData(), 0600) != 0 || ::listen(fd, kBacklog) != 0) {
        const int failure = errno;
        ::close(fd);
        errno = failure;
        return false;
    }
    listener_ = fd;
    listenerNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(listenerNotifier_.get(), &QSocketNotifier::activated, this,
            &SingleInstance::acceptConnections);
    return true;
}

void SingleInstance::acceptConnections() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        if (clients_.size() >= kMaxClients) {
            ::close(fd);
            continue;
        }
        auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(notifier.get(), &QSocketNotifier::activated, this, [this, fd] { readClient(fd); });
        clients_.emplace(fd, std::move(notifier));
        readClient(fd);
    }
}

void SingleInstance::readClient(int fd) {
    char bytes[64];
    for (;;) {
        const ssize_t n = ::recv(fd, bytes, sizeof bytes, 0);
        if (n > 0) {
            if (std::memchr(bytes, kActivate, std::size_t(n))) emit activationRequested();
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        dropClient(fd);  // the other start is done (or gone)
        return;
    }
}

void SingleInstance::dropClient(int fd) {
    const auto it = clients_.find(fd);
    if (it == clients_.end()) return;
    it->second->setEnabled(false);
    // The notifier may be the one whose signal is being handled: it goes once control returns.
    it->second.release()->deleteLater();
    clients_.erase(it);
    ::close(fd);
}

}  // namespace corvina
