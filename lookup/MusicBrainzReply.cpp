#include "lookup/MusicBrainzReply.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStringView>
#include <algorithm>

namespace corvina::lookup {
namespace {

// Names longer than this are cut: nothing on a disc is named at such length, and a reply that
// tries it must not grow the marquee or the cache without bound.
constexpr qsizetype kMaxName = 1000;
// A disc has at most 99 tracks; a medium claiming more positions is not believed beyond that.
constexpr int kMaxTracks = 99;

// A name within the cap, as whole characters: JSON may carry a lone surrogate ("\ud800"), and
// the cut may split a pair; either becomes the replacement character, so the name is the same
// text once it has been through the cache.
QString sane(QString name) {
    name.truncate(kMaxName);
    if (!name.isEmpty() && name.back().isHighSurrogate()) name.chop(1);
    return QString::fromUtf8(name.toUtf8());
}

QString text(const QJsonValue& value) {
    return sane(value.toString().trimmed());
}

// "A", " & ", "B", " feat. ", "C" -> "A & B feat. C".
QString artistCredit(const QJsonValue& credits) {
    QString joined;
    for (const QJsonValue& credit : credits.toArray()) {
        const QJsonObject c = credit.toObject();
        joined += c.value(QLatin1String("name")).toString();
        joined += c.value(QLatin1String("joinphrase")).toString();
        if (joined.size() > kMaxName) break;
    }
    return sane(joined.trimmed());
}

bool listsDisc(const QJsonObject& medium, const QString& discId) {
    for (const QJsonValue& disc : medium.value(QLatin1String("discs")).toArray()) {
        if (disc.toObject().value(QLatin1String("id")).toString() == discId) return true;
    }
    return false;
}

int trackCount(const QJsonObject& medium) {
    const QJsonValue count = medium.value(QLatin1String("track-count"));
    if (count.isDouble()) return count.toInt();
    return int(medium.value(QLatin1String("tracks")).toArray().size());
}

std::vector<QString> trackNames(const QJsonObject& medium, int audioTracks) {
    std::vector<QString> names;
    const int wanted = std::clamp(audioTracks, 0, kMaxTracks);
    const QJsonArray tracks = medium.value(QLatin1String("tracks")).toArray();
    for (qsizetype i = 0; i < tracks.size(); ++i) {
        const QJsonObject track = tracks[i].toObject();
        // The position says which track it is; without one, the order of the list does.
        const QJsonValue position = track.value(QLatin1String("position"));
        const int n = position.isDouble() ? position.toInt() : int(i + 1);
        if (n < 1 || n > wanted) continue;
        if (names.size() < std::size_t(n)) names.resize(std::size_t(n));
        names[std::size_t(n - 1)] = text(track.value(QLatin1String("title")));
    }
    return names;
}

std::optional<Release> readRelease(const QJsonObject& release, const QString& discId,
                                   int audioTracks) {
    const QJsonArray media = release.value(QLatin1String("media")).toArray();
    std::optional<QJsonObject> chosen;
    bool matches = false;
    for (const QJsonValue& value : media) {
        const QJsonObject medium = value.toObject();
        if (listsDisc(medium, discId)) {
            chosen = medium;
            matches = true;
            break;
        }
        if (!chosen && trackCount(medium) == audioTracks) chosen = medium;
    }
    if (!chosen) return std::nullopt;

    Release r;
    r.id = text(release.value(QLatin1String("id")));
    r.artist = artistCredit(release.value(QLatin1String("artist-credit")));
    r.album = text(release.value(QLatin1String("title")));
    r.date = text(release.value(QLatin1String("date")));
    r.country = text(release.value(QLatin1String("country")));
    r.format = text(chosen->value(QLatin1String("format")));
    r.tracks = trackNames(*chosen, audioTracks);
    r.frontCover = release.value(QLatin1String("cover-art-archive"))
                       .toObject()
                       .value(QLatin1String("front"))
                       .toBool();
    r.discIdMatches = matches;
    r.mediumTracks = trackCount(*chosen);
    return r;
}

// "1999" and "1999-05" as "1999-99-99" and "1999-05-99": within a year (or month) a release
// known to the day comes before one known only to the year, and the order stays strict.
QString sortableDate(const QString& date) {
    static const QString full = QStringLiteral("0000-99-99");
    return date.size() < full.size() ? date + full.mid(date.size()) : date;
}

}  // namespace

bool isCdFormat(const QString& format) {
    // "CD", "Enhanced CD", "HDCD", "SHM-CD", "CD-R", "8cm CD", "Hybrid SACD"
    // (its CD layer is what a CD drive plays); never "DVD", "Vinyl" or "Digital Media".
    return format.contains(QLatin1String("CD"));
}

bool comesFirst(const Release& a, const Release& b, int audioTracks) {
    if (a.discIdMatches != b.discIdMatches) return a.discIdMatches;
    const bool aCount = a.mediumTracks == audioTracks;
    const bool bCount = b.mediumTracks == audioTracks;
    if (aCount != bCount) return aCount;
    const bool aCd = isCdFormat(a.format);
    const bool bCd = isCdFormat(b.format);
    if (aCd != bCd) return aCd;
    if (a.date.isEmpty() != b.date.isEmpty()) return !a.date.isEmpty();
    return sortableDate(a.date) < sortableDate(b.date);
}

std::optional<std::vector<Release>> readMusicBrainzReply(QByteArrayView json, const QString& discId,
                                                         int audioTracks) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;

    // A disc ID known to MusicBrainz answers with the disc and its releases; an unknown one
    // whose TOC matches answers with a list of releases. Both keep them under "releases".
    std::vector<Release> releases;
    for (const QJsonValue& value : document.object().value(QLatin1String("releases")).toArray()) {
        if (auto release = readRelease(value.toObject(), discId, audioTracks))
            releases.push_back(std::move(*release));
    }
    std::stable_sort(releases.begin(), releases.end(), [audioTracks](const auto& a, const auto& b) {
        return comesFirst(a, b, audioTracks);
    });
    return releases;
}

}  // namespace corvina::lookup
