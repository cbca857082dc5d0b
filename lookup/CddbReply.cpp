#include "lookup/CddbReply.h"

#include <QByteArray>
#include <QList>
#include <QStringDecoder>
#include <algorithm>
#include <map>

namespace corvina::lookup {
namespace {

constexpr qsizetype kMaxName = 1000;
constexpr int kMaxTracks = 99;

QList<QByteArrayView> lines(QByteArrayView body) {
    QList<QByteArrayView> out;
    while (!body.isEmpty()) {
        qsizetype end = body.indexOf('\n');
        if (end < 0) end = body.size();
        QByteArrayView line = body.first(end);
        if (line.endsWith('\r')) line.chop(1);
        out.append(line);
        body = body.sliced(std::min(end + 1, body.size()));
    }
    return out;
}

int statusCode(QByteArrayView line) {
    if (line.size() < 3) return 0;
    int code = 0;
    for (int i = 0; i < 3; ++i) {
        if (line[i] < '0' || line[i] > '9') return 0;
        code = code * 10 + (line[i] - '0');
    }
    if (line.size() > 3 && line[3] != ' ' && line[3] != '-') return 0;
    return code;
}

// Protocol 6 is UTF-8; an entry stored from an older protocol may still hold other bytes.
QString decode(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    QStringDecoder gb("GB18030");
    if (gb.isValid()) return gb.decode(bytes);
    return QString::fromLatin1(bytes);
}

// "rock 3404f606 Artist / Album"
std::optional<CddbMatch> readMatch(QByteArrayView line) {
    const QString text = decode(line).trimmed();
    const qsizetype first = text.indexOf(QLatin1Char(' '));
    if (first <= 0) return std::nullopt;
    const qsizetype second = text.indexOf(QLatin1Char(' '), first + 1);
    CddbMatch match;
    match.category = text.left(first);
    match.discId = second < 0 ? text.mid(first + 1) : text.mid(first + 1, second - first - 1);
    match.title = second < 0 ? QString() : text.mid(second + 1).left(kMaxName);
    if (match.discId.isEmpty()) return std::nullopt;
    // The category and ID go back to the server in the read command: plain words only.
    for (const QString* word : {&match.category, &match.discId}) {
        for (QChar c : *word) {
            if (!c.isLetterOrNumber() || c.unicode() > 0x7f) return std::nullopt;
        }
    }
    return match;
}

QString unescape(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value[++i];
        if (next == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (next == QLatin1Char('t'))
            out += QLatin1Char('\t');
        else if (next == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        else
            out += QLatin1Char('\\') + next;
    }
    return out;
}

// A name as the player shows it: one line, no surrounding blanks.
QString clean(const QString& value) {
    QString line = unescape(value);
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\t'), QLatin1Char(' '));
    line = line.simplified().left(kMaxName);
    if (!line.isEmpty() && line.back().isHighSurrogate()) line.chop(1);  // a cut pair
    return line.trimmed();
}

}  // namespace

CddbQueryReply readCddbQuery(QByteArrayView body) {
    CddbQueryReply reply;
    const QList<QByteArrayView> all = lines(body);
    if (all.isEmpty()) return reply;
    reply.status = decode(all.front()).trimmed().left(200);
    const int code = statusCode(all.front());
    if (code == 0) return reply;
    if (code == 202) {
        reply.kind = CddbQueryReply::Kind::NotFound;
        return reply;
    }
    if (code >= 400) {
        reply.kind = CddbQueryReply::Kind::Refused;
        return reply;
    }
    if (code == 200) {
        // "200 category discid title": the match is on the status line itself.
        const QByteArrayView line = all.front();
        if (auto match = readMatch(line.size() > 4 ? line.sliced(4) : QByteArrayView()))
            reply.matches.push_back(*match);
    } else if (code == 210 || code == 211) {
        for (qsizetype i = 1; i < all.size() && all[i] != "."; ++i) {
            if (auto match = readMatch(all[i])) reply.matches.push_back(*match);
        }
    }
    reply.kind =
        reply.matches.empty() ? CddbQueryReply::Kind::Malformed : CddbQueryReply::Kind::Found;
    return reply;
}

const CddbMatch* chooseCddbMatch(const std::vector<CddbMatch>& matches, const QString& discId) {
    for (const CddbMatch& match : matches) {
        if (match.discId.compare(discId, Qt::CaseInsensitive) == 0) return &match;
    }
    return matches.empty() ? nullptr : &matches.front();
}

std::optional<Release> readCddbEntry(QByteArrayView body, int tracks) {
    const QList<QByteArrayView> all = lines(body);
    if (all.isEmpty() || statusCode(all.front()) != 210) return std::nullopt;
    const int wanted = std::clamp(tracks, 0, kMaxTracks);

    // Values by key, continued where a key repeats. Only the keys the player uses are kept, and
    // each within bounds, so a hostile entry cannot make it hold more than a disc's names.
    std::map<QString, QString> values;
    const QString decoded = [&] {
        QByteArray entry;
        for (qsizetype i = 1; i < all.size() && all[i] != "."; ++i) {
            entry += all[i].toByteArray();
            entry += '\n';
        }
        return decode(entry);
    }();
    for (QStringView line : QStringView(decoded).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('#'))) continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0) continue;
        const QString key = line.left(equals).trimmed().toString().toUpper();
        bool wantedKey = key == QLatin1String("DTITLE") || key == QLatin1String("DYEAR");
        if (!wantedKey && key.startsWith(QLatin1String("TTITLE"))) {
            bool number = false;
            const int n = QStringView(key).mid(6).toInt(&number);
            wantedKey = number && n >= 0 && n < wanted;
        }
        if (!wantedKey) continue;
        QString& value = values[key];
        if (value.size() < 4 * kMaxName) value += line.mid(equals + 1);
    }

    const QString title = clean(values[QStringLiteral("DTITLE")]);
    if (title.isEmpty()) return std::nullopt;
    Release release;
    const qsizetype slash = title.indexOf(QLatin1String(" / "));
    release.artist = slash < 0 ? title : title.left(slash).trimmed();
    release.album = slash < 0 ? title : title.mid(slash + 3).trimmed();
    release.date = clean(values[QStringLiteral("DYEAR")]);
    release.format = QStringLiteral("CD");
    for (int n = 0; n < wanted; ++n)
        release.tracks.push_back(clean(values[QStringLiteral("TTITLE%1").arg(n)]));
    while (!release.tracks.empty() && release.tracks.back().isEmpty()) release.tracks.pop_back();
    release.mediumTracks = wanted;
    return release;
}

}  // namespace corvina::lookup
