#pragma once
// The fake name servers (tests/lookup/fake_server.py) on the loopback address: MusicBrainz, the
// Cover Art Archive and gnudb in one, answering by a scenario and recording every request. For
// as long as it lives, the lookups' server variables name it.
#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace corvina::test {

class FakeNameServer {
public:
    // `scenario`: the server's JSON scenario (its "routes"). Fails the test when the server
    // does not start.
    explicit FakeNameServer(const QByteArray& scenario);
    ~FakeNameServer();
    FakeNameServer(const FakeNameServer&) = delete;
    FakeNameServer& operator=(const FakeNameServer&) = delete;

    QString base() const { return base_; }
    // A file beside the scenario, for a reply's "body_file".
    void writeFile(const QString& name, const QByteArray& bytes) const;

    // The requests so far, oldest first: "time" (seconds), "target", "path", "query", "headers".
    QList<QJsonObject> requests() const;

private:
    QTemporaryDir dir_;
    QProcess process_;
    QString base_;
};

// The lookup helper built with the tests.
QString lookupHelperPath();

}  // namespace corvina::test
