#include "lookup/helper/Http.h"

#include <QDateTime>
#include <QFile>
#include <QHostAddress>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "lookup/Request.h"

namespace corvina::lookup {
namespace {

constexpr qint64 kSpacingMs = 1000;
constexpr int kMaxRedirects = 5;

// The desktop's proxy settings (http_proxy, https_proxy, no_proxy) for the servers; a server on
// the loopback address is always asked directly.
class ProxyFactory : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override {
        const QString host = query.peerHostName();
        if (host == QLatin1String("localhost") || QHostAddress(host).isLoopback())
            return {QNetworkProxy::NoProxy};
        return systemProxyForQuery(query);
    }
};

qint64 lastRequest(const QString& stampFile) {
    QFile file(stampFile);
    if (!file.open(QIODevice::ReadOnly)) return 0;
    return file.read(32).trimmed().toLongLong();
}

}  // namespace

Http::Http(QString stampFile, int timeoutMs)
    : stampFile_(std::move(stampFile)), timeoutMs_(timeoutMs) {
    manager_.setProxyFactory(new ProxyFactory);
    manager_.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

qint64 Http::waitBeforeNext() const {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 last = lastRequest(stampFile_);
    // A stamp from the future (a clock set back) holds nothing up for longer than the spacing.
    return std::clamp<qint64>(last + kSpacingMs - now, 0, kSpacingMs);
}

void Http::stamp() {
    QSaveFile file(stampFile_);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QByteArray::number(QDateTime::currentMSecsSinceEpoch()));
        file.commit();
    }
}

void Http::get(const QUrl& url, const QByteArray& accept, qint64 maxBytes,
               std::function<void(HttpReply)> done) {
    QTimer::singleShot(waitBeforeNext(), this, [=, this, done = std::move(done)]() mutable {
        // Another helper may have asked in the meantime (there is only ever one, but the clock
        // is the file's, not ours).
        if (waitBeforeNext() > 0) {
            get(url, accept, maxBytes, std::move(done));
            return;
        }
        start(url, accept, maxBytes, std::move(done));
    });
}

void Http::start(const QUrl& url, const QByteArray& accept, qint64 maxBytes,
                 std::function<void(HttpReply)> done) {
    stamp();
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
    request.setRawHeader("Accept", accept);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    QNetworkReply* reply = manager_.get(request);

    struct State {
        HttpReply result;
        bool finished = false;
        std::function<void(HttpReply)> done;
    };
    auto state = std::make_shared<State>();
    state->done = std::move(done);
    const auto finish = [state, reply](QString error) {
        if (state->finished) return;
        state->finished = true;
        state->result.error = std::move(error);
        state->result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        bool number = false;
        const int after = reply->rawHeader("Retry-After").trimmed().toInt(&number);
        if (number && after >= 0) state->result.retryAfter = after;
        reply->disconnect();
        reply->abort();
        reply->deleteLater();
        state->done(std::move(state->result));
    };

    // The whole exchange, however slowly the bytes come: a server that trickles must not hold
    // the lookup for longer than this.
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, reply, [finish, ms = timeoutMs_] {
        finish(QStringLiteral("no answer within %1 s").arg(ms / 1000.0));
    });
    deadline->start(timeoutMs_);

    const auto tooLong = [maxBytes] {
        return QStringLiteral("the reply is longer than %1 bytes").arg(maxBytes);
    };
    connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, finish, maxBytes, tooLong] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maxBytes) finish(tooLong());
    });
    connect(reply, &QNetworkReply::readyRead, reply, [state, reply, finish, maxBytes, tooLong] {
        // Read as it comes, so no more than the cap (and one buffer) is ever held.
        state->result.body += reply->read(maxBytes + 1 - state->result.body.size());
        if (state->result.body.size() > maxBytes) finish(tooLong());
    });
    connect(reply, &QNetworkReply::finished, reply, [state, reply, finish, maxBytes, tooLong] {
        if (state->finished) return;
        state->result.body += reply->read(maxBytes + 1 - state->result.body.size());
        if (state->result.body.size() > maxBytes) return finish(tooLong());
        // An HTTP error status is a reply, not a failure: the caller reads the status.
        const bool httpStatus =
            reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
        if (reply->error() != QNetworkReply::NoError && !httpStatus)
            return finish(reply->errorString());
        finish({});
    });
}

}  // namespace corvina::lookup
