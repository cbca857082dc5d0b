#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <cstdio>

namespace corvina {
namespace {

constexpr int kConnectTimeoutMs = 1000;
constexpr char kActivate = 'A';

// Tells the instance listening at `name`, if any, to come forward. True when one answered.
bool signalRunningInstance(const QString& name) {
    QLocalSocket socket;
    socket.connectToServer(name, QIODevice::WriteOnly);
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    socket.write(&kActivate, 1);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

}  // namespace

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), serverName_(std::move(serverName)) {}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

QString SingleInstance::defaultServerName() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return QDir(runtime).filePath(QStringLiteral("corvina-instance"));
}

bool SingleInstance::claim() {
    // Two players started at the same moment must not both find no listener and then remove
    // each other's socket: the look-and-listen step is done under a lock file.
    QLockFile lock(serverName_ + QStringLiteral(".lock"));
    lock.setStaleLockTime(5000);
    const bool locked = lock.tryLock(kConnectTimeoutMs * 3);

    if (signalRunningInstance(serverName_)) return false;

    // Nobody answered: whatever socket file is there was left by a player that crashed.
    QLocalServer::removeServer(serverName_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(serverName_)) {
        std::fprintf(stderr,
                     "corvina: cannot listen on %s (%s); a second start will not be "
                     "handed over\n",
                     qPrintable(serverName_), qPrintable(server_->errorString()));
        server_.reset();
        return true;
    }
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    if (locked) lock.unlock();
    return true;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto readRequest = [this, socket] {
            if (socket->readAll().contains(kActivate)) emit activationRequested();
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        if (socket->bytesAvailable() > 0) readRequest();
    }
}

}  // namespace corvina
