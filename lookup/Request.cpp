#include "lookup/Request.h"

#include <QUrl>

#include "lookup/Cache.h"

namespace corvina::lookup {
namespace {

bool numbers(const QString& text, int least, int most) {
    const QStringList parts = text.split(QLatin1Char(' '));
    if (parts.size() < least || parts.size() > most) return false;
    for (const QString& part : parts) {
        bool ok = false;
        const qlonglong n = part.toLongLong(&ok);
        if (!ok || n < 0 || n > 10'000'000 || part.startsWith(QLatin1Char('+'))) return false;
    }
    return true;
}

bool isFreedbId(const QString& id) {
    if (id.size() != 8) return false;
    for (QChar c : id) {
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    }
    return true;
}

}  // namespace

bool isHelloEmail(const QString& email) {
    const qsizetype at = email.indexOf(QLatin1Char('@'));
    if (at <= 0 || at == email.size() - 1 || email.indexOf(QLatin1Char('@'), at + 1) >= 0 ||
        email.size() > 254)
        return false;
    for (QChar c : email) {
        const char16_t u = c.unicode();
        const bool ok = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
                        (u >= u'0' && u <= u'9') || u == u'.' || u == u'_' || u == u'+' ||
                        u == u'-' || u == u'@';
        if (!ok) return false;
    }
    return true;
}

QString serverBase(Server server, QString* why) {
    const char* variable = "CORVINA_MUSICBRAINZ_URL";
    QString base = QStringLiteral("https://musicbrainz.org");
    if (server == Server::CoverArt) {
        variable = "CORVINA_COVERART_URL";
        base = QStringLiteral("https://coverartarchive.org");
    } else if (server == Server::Gnudb) {
        variable = "CORVINA_GNUDB_URL";
        base = QStringLiteral("https://gnudb.gnudb.org");
    }
    if (!qEnvironmentVariableIsSet(variable)) return base;
    base = qEnvironmentVariable(variable).trimmed();
    while (base.endsWith(QLatin1Char('/'))) base.chop(1);
    if (base.isEmpty()) return {};
    const QUrl url(base, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http"))) {
        if (why)
            *why = QStringLiteral("%1 is no HTTP or HTTPS address").arg(QLatin1String(variable));
        return {};
    }
    return base;
}

QString contactAddress() {
    return QStringLiteral(CORVINA_CONTACT);
}

QString userAgent() {
    return QStringLiteral("Corvina/%1 ( %2 )")
        .arg(QLatin1String(CORVINA_VERSION_TEXT), contactAddress());
}

QStringList toArguments(const LookupRequest& r) {
    return {QStringLiteral("--cache"),   r.cacheFolder,
            QStringLiteral("--disc"),    r.discId,
            QStringLiteral("--toc"),     r.toc,
            QStringLiteral("--freedb"),  r.freedbId,
            QStringLiteral("--cddb"),    r.cddbQuery,
            QStringLiteral("--tracks"),  QString::number(r.audioTracks),
            QStringLiteral("--email"),   r.gnudbEmail,
            QStringLiteral("--timeout"), QString::number(r.timeoutMs)};
}

std::optional<LookupRequest> fromArguments(const QStringList& arguments, QString* error) {
    const auto fail = [error](const QString& why) -> std::optional<LookupRequest> {
        if (error) *error = why;
        return std::nullopt;
    };
    if (arguments.size() % 2 != 0) return fail(QStringLiteral("an option without its value"));
    LookupRequest r;
    bool tracksOk = false;
    bool timeoutOk = false;
    for (qsizetype i = 0; i < arguments.size(); i += 2) {
        const QString& option = arguments[i];
        const QString& value = arguments[i + 1];
        if (option == QLatin1String("--cache"))
            r.cacheFolder = value;
        else if (option == QLatin1String("--disc"))
            r.discId = value;
        else if (option == QLatin1String("--toc"))
            r.toc = value;
        else if (option == QLatin1String("--freedb"))
            r.freedbId = value;
        else if (option == QLatin1String("--cddb"))
            r.cddbQuery = value;
        else if (option == QLatin1String("--tracks"))
            r.audioTracks = value.toInt(&tracksOk);
        else if (option == QLatin1String("--email"))
            r.gnudbEmail = value;
        else if (option == QLatin1String("--timeout"))
            r.timeoutMs = value.toInt(&timeoutOk);
        else
            return fail(QStringLiteral("unknown option %1").arg(option));
    }
    if (r.cacheFolder.isEmpty()) return fail(QStringLiteral("no cache folder"));
    if (!isDiscId(r.discId)) return fail(QStringLiteral("no disc ID"));
    // first, last, lead-out and 1 to 99 offsets
    if (!numbers(r.toc, 4, 102)) return fail(QStringLiteral("no TOC"));
    if (!isFreedbId(r.freedbId)) return fail(QStringLiteral("no CDDB disc ID"));
    if (!numbers(r.cddbQuery, 3, 101)) return fail(QStringLiteral("no CDDB query"));
    if (!tracksOk || r.audioTracks < 1 || r.audioTracks > 99)
        return fail(QStringLiteral("no track count"));
    if (!isHelloEmail(r.gnudbEmail)) return fail(QStringLiteral("no gnudb e-mail address"));
    if (!timeoutOk || r.timeoutMs < 100 || r.timeoutMs > 600'000)
        return fail(QStringLiteral("no time-out"));
    return r;
}

}  // namespace corvina::lookup
