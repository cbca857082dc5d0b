#pragma once
// The lookup helper's HTTP: one GET at a time, each with a time-out for the whole exchange, a cap
// on what is read, the player's User-Agent, redirects followed only as far as they stay as safe
// (never from HTTPS to HTTP), and the system's proxy for anything but the loopback address.
//
// Requests are spaced: one starts at least a second after the one before, counting requests of
// earlier helper runs too (the time of the last one is kept in the cache folder), so the player
// never asks the servers more than once a second.
//
// The event loop's thread.
#include <QByteArray>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

namespace corvina::lookup {

struct HttpReply {
    int status = 0;       // HTTP status of the final reply; 0 when none came
    QByteArray body;      // what was read (complete unless `error` is set)
    QString error;        // empty when a whole reply within the cap came
    int retryAfter = -1;  // seconds of a Retry-After header; -1 without one
};

class Http : public QObject {
public:
    // `stampFile` keeps the time of the last request; `timeoutMs` bounds each request.
    Http(QString stampFile, int timeoutMs);

    // Fetches `url` (at its time by the spacing), reading at most `maxBytes` of body; `done`
    // is called once, from the event loop.
    void get(const QUrl& url, const QByteArray& accept, qint64 maxBytes,
             std::function<void(HttpReply)> done);

    // How long before a request may start, in milliseconds.
    qint64 waitBeforeNext() const;

private:
    void start(const QUrl& url, const QByteArray& accept, qint64 maxBytes,
               std::function<void(HttpReply)> done);
    void stamp();

    QNetworkAccessManager manager_;
    QString stampFile_;
    int timeoutMs_;
};

}  // namespace corvina::lookup
