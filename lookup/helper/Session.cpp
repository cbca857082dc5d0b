#include "lookup/helper/Session.h"

#include <QDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "lookup/CddbReply.h"
#include "lookup/MusicBrainzReply.h"

namespace corvina::lookup {
namespace {

// Caps on what is read of a reply: far above any real one (a disc ID with fifty releases of
// twenty tracks is about 1 MB of JSON; an xmcd entry a few KB; a 250-pixel thumbnail 30 KB).
constexpr qint64 kMaxJson = 4 * 1024 * 1024;
constexpr qint64 kMaxCddb = 256 * 1024;
constexpr qint64 kMaxCover = 1024 * 1024;
constexpr int kMaxMusicBrainzAttempts = 3;
constexpr int kMaxRetryAfter = 10;  // seconds

void say(const QString& line) {
    std::fprintf(stderr, "corvina: %s\n", line.toLocal8Bit().constData());
}

void tell(const char* line) {
    std::fprintf(stdout, "%s\n", line);
    std::fflush(stdout);
}

QString plus(QString text) {
    return text.replace(QLatin1Char(' '), QLatin1Char('+'));
}

// The CDDB `hello`: user, host, client and version, '+' between them (a '+' inside the address
// is sent encoded, or the server would read it as a separator).
QString hello(const QString& email) {
    const qsizetype at = email.indexOf(QLatin1Char('@'));
    const auto part = [](QString text) { return text.replace(QLatin1Char('+'), "%2B"); };
    return part(email.left(at)) + QLatin1Char('+') + part(email.mid(at + 1)) +
           QStringLiteral("+Corvina+") + QLatin1String(CORVINA_VERSION_TEXT);
}

}  // namespace

Session::Session(LookupRequest request, std::function<void(int)> finished)
    : request_(std::move(request)),
      finished_(std::move(finished)),
      http_(request_.cacheFolder + QStringLiteral("/last-request"), request_.timeoutMs) {}

void Session::start() {
    if (!QDir().mkpath(request_.cacheFolder))
        return fail(QStringLiteral("cannot make the folder %1").arg(request_.cacheFolder));
    entry_.lookedUp = QDateTime::currentDateTimeUtc();
    if (!serverBase(Server::MusicBrainz).isEmpty()) return askMusicBrainz(1);
    musicBrainzSaid_ = QStringLiteral("MusicBrainz is not asked");
    askGnudb();
}

void Session::askMusicBrainz(int attempt) {
    QUrl url(serverBase(Server::MusicBrainz) + QStringLiteral("/ws/2/discid/") + request_.discId);
    // '+' joins the includes and the TOC's numbers, as the web service reads them.
    url.setQuery(QStringLiteral("inc=recordings+artist-credits&cdstubs=no&fmt=json&toc=") +
                     plus(request_.toc),
                 QUrl::StrictMode);
    http_.get(url, "application/json", kMaxJson,
              [this, attempt](HttpReply reply) { musicBrainzAnswered(reply, attempt); });
}

void Session::musicBrainzAnswered(const HttpReply& reply, int attempt) {
    if (reply.error.isEmpty() && reply.status == 503 && attempt < kMaxMusicBrainzAttempts) {
        // The server asks for fewer requests: wait as long as it says, never hammer it.
        const int seconds =
            reply.retryAfter >= 0 ? std::clamp(reply.retryAfter, 1, kMaxRetryAfter) : 2 * attempt;
        QTimer::singleShot(seconds * 1000, this, [this, attempt] { askMusicBrainz(attempt + 1); });
        return;
    }
    if (!reply.error.isEmpty()) return fail(QStringLiteral("MusicBrainz: %1").arg(reply.error));
    if (reply.status == 404) {
        musicBrainzSaid_ = QStringLiteral("MusicBrainz knows no such disc");
        return askGnudb();
    }
    if (reply.status != 200)
        return fail(QStringLiteral("MusicBrainz answered with status %1").arg(reply.status));
    std::optional<std::vector<Release>> releases =
        readMusicBrainzReply(reply.body, request_.discId, request_.audioTracks);
    if (!releases) return fail(QStringLiteral("MusicBrainz's reply is not what it should be"));
    if (releases->empty()) {
        musicBrainzSaid_ = QStringLiteral("MusicBrainz knows no disc of this TOC");
        return askGnudb();
    }
    entry_.found = true;
    entry_.source = QStringLiteral("musicbrainz");
    entry_.chosen = releases->front();
    entry_.others.assign(releases->begin() + 1, releases->end());
    if (!store(entry_, "names")) return;
    if (entry_.chosen.frontCover && !entry_.chosen.id.isEmpty() &&
        !serverBase(Server::CoverArt).isEmpty())
        return fetchCover(entry_.chosen.id);
    end(0);
}

void Session::fetchCover(const QString& releaseId) {
    const QUrl url(serverBase(Server::CoverArt) + QStringLiteral("/release/") +
                   QString::fromLatin1(QUrl::toPercentEncoding(releaseId)) +
                   QStringLiteral("/front-250"));
    http_.get(url, "image/*", kMaxCover, [this](HttpReply reply) {
        if (!reply.error.isEmpty()) return fail(QStringLiteral("cover art: %1").arg(reply.error));
        // No picture after all (404): the names stand alone.
        if (reply.status == 404) return end(0);
        if (reply.status != 200)
            return fail(QStringLiteral("cover art: status %1").arg(reply.status));
        QString error;
        entry_.cover = writeCover(request_.cacheFolder, request_.discId, reply.body, &error);
        if (entry_.cover.isEmpty()) return fail(QStringLiteral("cover art: %1").arg(error));
        if (store(entry_, "cover")) end(0);
    });
}

void Session::askGnudb() {
    const QString base = serverBase(Server::Gnudb);
    if (base.isEmpty()) return notFound(musicBrainzSaid_);
    QUrl url(base + QStringLiteral("/~cddb/cddb.cgi"));
    url.setQuery(QStringLiteral("cmd=cddb+query+%1+%2&hello=%3&proto=6")
                     .arg(request_.freedbId, plus(request_.cddbQuery), hello(request_.gnudbEmail)),
                 QUrl::StrictMode);
    http_.get(url, "text/plain", kMaxCddb, [this](HttpReply reply) {
        if (!reply.error.isEmpty()) return fail(QStringLiteral("gnudb: %1").arg(reply.error));
        if (reply.status != 200)
            return fail(QStringLiteral("gnudb answered with status %1").arg(reply.status));
        const CddbQueryReply query = readCddbQuery(reply.body);
        switch (query.kind) {
            case CddbQueryReply::Kind::NotFound:
                return notFound(musicBrainzSaid_ + QStringLiteral(", nor does gnudb"));
            case CddbQueryReply::Kind::Refused:
                return notFound(musicBrainzSaid_ + QStringLiteral(", and gnudb refused: ") +
                                query.status);
            case CddbQueryReply::Kind::Malformed:
                return fail(QStringLiteral("gnudb's reply is not what it should be"));
            case CddbQueryReply::Kind::Found:
                break;
        }
        const CddbMatch* match = chooseCddbMatch(query.matches, request_.freedbId);
        readGnudb(match->category, match->discId);
    });
}

void Session::readGnudb(const QString& category, const QString& id) {
    QUrl url(serverBase(Server::Gnudb) + QStringLiteral("/~cddb/cddb.cgi"));
    url.setQuery(QStringLiteral("cmd=cddb+read+%1+%2&hello=%3&proto=6")
                     .arg(category, id, hello(request_.gnudbEmail)),
                 QUrl::StrictMode);
    http_.get(url, "text/plain", kMaxCddb, [this](HttpReply reply) {
        if (!reply.error.isEmpty()) return fail(QStringLiteral("gnudb: %1").arg(reply.error));
        if (reply.status != 200)
            return fail(QStringLiteral("gnudb answered with status %1").arg(reply.status));
        if (readCddbQuery(reply.body).kind == CddbQueryReply::Kind::Refused)
            return notFound(musicBrainzSaid_ + QStringLiteral(", and gnudb refused to read"));
        std::optional<Release> release = readCddbEntry(reply.body, request_.audioTracks);
        if (!release) return fail(QStringLiteral("gnudb's entry is not what it should be"));
        entry_.found = true;
        entry_.source = QStringLiteral("gnudb");
        entry_.chosen = std::move(*release);
        if (store(entry_, "names")) end(0);
    });
}

void Session::notFound(const QString& why) {
    say(QStringLiteral("no names found online for the disc %1 (%2)").arg(request_.discId, why));
    CacheEntry none;
    none.lookedUp = entry_.lookedUp;
    if (store(none, "none")) end(0);
}

bool Session::store(CacheEntry entry, const char* line) {
    QString error;
    if (!writeEntry(request_.cacheFolder, request_.discId, entry, &error)) {
        fail(QStringLiteral("cannot write the cache: %1").arg(error));
        return false;
    }
    tell(line);
    return true;
}

void Session::fail(const QString& why) {
    say(QStringLiteral("online lookup of the disc %1 failed: %2").arg(request_.discId, why));
    end(1);
}

void Session::end(int code) {
    if (!finished_) return;
    auto finished = std::move(finished_);
    finished_ = nullptr;
    finished(code);
}

}  // namespace corvina::lookup
