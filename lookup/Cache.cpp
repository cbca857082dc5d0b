#include "lookup/Cache.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

namespace corvina::lookup {
namespace {

constexpr int kFormat = 1;
// Larger than any entry the helper writes (its replies are capped below this).
constexpr qint64 kMaxEntryBytes = 8 * 1024 * 1024;
constexpr int kMaxOthers = 50;
constexpr int kMaxTracks = 99;

QJsonObject toJson(const Release& r) {
    QJsonArray tracks;
    for (const QString& name : r.tracks) tracks.append(name);
    QJsonObject o;
    if (!r.id.isEmpty()) o.insert(QLatin1String("id"), r.id);
    o.insert(QLatin1String("artist"), r.artist);
    o.insert(QLatin1String("album"), r.album);
    if (!r.date.isEmpty()) o.insert(QLatin1String("date"), r.date);
    if (!r.country.isEmpty()) o.insert(QLatin1String("country"), r.country);
    if (!r.format.isEmpty()) o.insert(QLatin1String("format"), r.format);
    o.insert(QLatin1String("tracks"), tracks);
    if (r.frontCover) o.insert(QLatin1String("front"), true);
    return o;
}

Release fromJson(const QJsonObject& o) {
    Release r;
    r.id = o.value(QLatin1String("id")).toString();
    r.artist = o.value(QLatin1String("artist")).toString();
    r.album = o.value(QLatin1String("album")).toString();
    r.date = o.value(QLatin1String("date")).toString();
    r.country = o.value(QLatin1String("country")).toString();
    r.format = o.value(QLatin1String("format")).toString();
    for (const QJsonValue& name : o.value(QLatin1String("tracks")).toArray()) {
        if (r.tracks.size() == std::size_t(kMaxTracks)) break;
        r.tracks.push_back(name.toString());
    }
    r.frontCover = o.value(QLatin1String("front")).toBool();
    return r;
}

bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    // A cache file needs no sync to disk: one lost to a power cut is looked up again.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace

bool isStale(const CacheEntry& entry, const QDateTime& now) {
    if (entry.found) return false;
    return !entry.lookedUp.isValid() || entry.lookedUp.addDays(kNotFoundDays) < now ||
           entry.lookedUp > now.addDays(1);
}

QString cacheFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Corvina/lookup");
}

bool isDiscId(const QString& id) {
    if (id.size() != 28) return false;
    for (QChar c : id) {
        const char16_t u = c.unicode();
        const bool ok = (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') ||
                        (u >= u'0' && u <= u'9') || u == u'.' || u == u'_' || u == u'-';
        if (!ok) return false;
    }
    return true;
}

QString entryPath(const QString& folder, const QString& discId) {
    return folder + QLatin1Char('/') + discId + QStringLiteral(".json");
}

QByteArray entryToJson(const CacheEntry& entry) {
    QJsonObject o;
    o.insert(QLatin1String("format"), kFormat);
    o.insert(QLatin1String("found"), entry.found);
    o.insert(QLatin1String("lookedUp"), entry.lookedUp.toUTC().toString(Qt::ISODate));
    if (entry.found) {
        o.insert(QLatin1String("source"), entry.source);
        o.insert(QLatin1String("release"), toJson(entry.chosen));
        QJsonArray others;
        for (const Release& r : entry.others) {
            if (others.size() == kMaxOthers) break;
            others.append(toJson(r));
        }
        if (!others.isEmpty()) o.insert(QLatin1String("others"), others);
        if (!entry.cover.isEmpty()) o.insert(QLatin1String("cover"), entry.cover);
    }
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

std::optional<CacheEntry> entryFromJson(QByteArrayView json) {
    const QJsonDocument document = QJsonDocument::fromJson(json.toByteArray());
    if (!document.isObject()) return std::nullopt;
    const QJsonObject o = document.object();
    if (o.value(QLatin1String("format")).toInt() != kFormat) return std::nullopt;
    CacheEntry entry;
    entry.found = o.value(QLatin1String("found")).toBool();
    entry.lookedUp =
        QDateTime::fromString(o.value(QLatin1String("lookedUp")).toString(), Qt::ISODate);
    if (!entry.found) return entry;
    const QJsonValue release = o.value(QLatin1String("release"));
    if (!release.isObject()) return std::nullopt;
    entry.source = o.value(QLatin1String("source")).toString();
    entry.chosen = fromJson(release.toObject());
    for (const QJsonValue& other : o.value(QLatin1String("others")).toArray()) {
        if (entry.others.size() == std::size_t(kMaxOthers)) break;
        entry.others.push_back(fromJson(other.toObject()));
    }
    entry.cover = o.value(QLatin1String("cover")).toString();
    return entry;
}

std::optional<CacheEntry> readEntry(const QString& folder, const QString& discId) {
    if (!isDiscId(discId)) return std::nullopt;
    QFile file(entryPath(folder, discId));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxEntryBytes) return std::nullopt;
    std::optional<CacheEntry> entry = entryFromJson(file.read(kMaxEntryBytes));
    // The cover is the disc's own picture beside the entry, whatever an edited file says.
    if (entry && !entry->cover.isEmpty()) {
        const bool own = entry->cover.startsWith(discId + QLatin1Char('.')) &&
                         QStringList({"jpg", "png", "gif", "webp"})
                             .contains(entry->cover.mid(discId.size() + 1));
        if (!own) entry->cover.clear();
    }
    return entry;
}

bool writeEntry(const QString& folder, const QString& discId, const CacheEntry& entry,
                QString* error) {
    if (!isDiscId(discId)) {
        if (error) *error = QStringLiteral("not a disc ID");
        return false;
    }
    if (!QDir().mkpath(folder)) {
        if (error) *error = QStringLiteral("cannot make the folder %1").arg(folder);
        return false;
    }
    return writeAtomically(entryPath(folder, discId), entryToJson(entry), error);
}

QString pictureSuffix(QByteArrayView bytes) {
    if (bytes.startsWith("\xFF\xD8\xFF")) return QStringLiteral("jpg");
    if (bytes.startsWith("\x89PNG\r\n\x1A\n")) return QStringLiteral("png");
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a")) return QStringLiteral("gif");
    if (bytes.size() >= 12 && bytes.startsWith("RIFF") && bytes.sliced(8, 4) == "WEBP")
        return QStringLiteral("webp");
    return {};
}

QString writeCover(const QString& folder, const QString& discId, const QByteArray& bytes,
                   QString* error) {
    const QString suffix = pictureSuffix(bytes);
    if (suffix.isEmpty() || !isDiscId(discId)) {
        if (error) *error = QStringLiteral("the cover is no picture");
        return {};
    }
    const QString name = discId + QLatin1Char('.') + suffix;
    if (!QDir().mkpath(folder) || !writeAtomically(folder + QLatin1Char('/') + name, bytes, error))
        return {};
    return name;
}

}  // namespace corvina::lookup
