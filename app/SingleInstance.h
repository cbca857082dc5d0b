#pragma once
// One running player per user. The running instance listens on a local socket in the user's
// runtime folder ($XDG_RUNTIME_DIR); a second start connects to it, which asks the running one to
// come forward, and ends without opening a window.
//
// UI thread only. The socket is removed when the instance object is destroyed; one left behind by
// a crash is removed by the next start, but only after connecting to it has failed.
//
// Plain Unix sockets under a QSocketNotifier: this is all the player needs of a network library,
// which would otherwise cost every start a few milliseconds and two megabytes of memory.
#include <QObject>
#include <QString>
#include <map>
#include <memory>

class QSocketNotifier;

namespace corvina {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `serverName`: the socket's full path (defaultServerName() for the player).
    explicit SingleInstance(QString serverName, QObject* parent = nullptr);
    ~SingleInstance() override;

    static QString defaultServerName();

    // True when this process is the one instance and now listens; false when another instance
    // runs and has been signalled. When the socket cannot be created the player still runs
    // (true), only without the hand-over; the reason goes to stderr once.
    bool claim();

signals:
    // A later start asked this instance to come forward.
    void activationRequested();

private:
    bool listen();
    void acceptConnections();
    void readClient(int fd);
    void dropClient(int fd);

    QString serverName_;
    int listener_ = -1;
    std::unique_ptr<QSocketNotifier> listenerNotifier_;
    std::map<int, std::unique_ptr<QSocketNotifier>> clients_;
};

}  // namespace corvina
