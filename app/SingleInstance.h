#pragma once
// One running player per user. The running instance listens on a local socket in the user's
// runtime folder ($XDG_RUNTIME_DIR); a second start connects to it, which asks the running one to
// come forward, and ends without opening a window.
//
// UI thread only. The socket is removed when the instance object is destroyed; one left behind by
// a crash is removed by the next start, but only after connecting to it has failed.
#include <QLocalServer>
#include <QObject>
#include <QString>
#include <memory>

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
    void acceptConnections();

    QString serverName_;
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace corvina
