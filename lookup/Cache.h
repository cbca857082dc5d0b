#pragma once
// The per-user cache of what online lookups found: $XDG_CACHE_HOME/Corvina/lookup/ (by default
// ~/.cache/Corvina/lookup/), one JSON file per disc named by its MusicBrainz disc ID
// (<id>.json), and the front cover's 250-pixel thumbnail beside it (<id>.jpg, .png ...).
//
// The lookup helper writes entries (each replaced atomically); the player reads them. An entry
// that cannot be read is no entry: the disc is looked up again. Any thread.
#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "lookup/Release.h"

namespace corvina::lookup {

struct CacheEntry {
    bool found = false;           // false: the servers know no such disc
    QString source;               // "musicbrainz" or "gnudb" (when found)
    QDateTime lookedUp;           // when the servers answered (UTC)
    Release chosen;               // what the player shows (when found)
    std::vector<Release> others;  // the other releases that matched, best first
    QString cover;                // file name of the front cover beside the entry; empty: none
};

// An entry saying "nothing found" is believed for this many days; then the disc is asked again,
// since new discs keep being added to both databases.
constexpr int kNotFoundDays = 14;
bool isStale(const CacheEntry& entry, const QDateTime& now);

// The cache folder ($XDG_CACHE_HOME/Corvina/lookup).
QString cacheFolder();
// A MusicBrainz disc ID: 28 characters of A-Z a-z 0-9 . _ - (so also a safe file name).
bool isDiscId(const QString& id);
QString entryPath(const QString& folder, const QString& discId);

QByteArray entryToJson(const CacheEntry& entry);
// nullopt for anything that is not an entry this version wrote.
std::optional<CacheEntry> entryFromJson(QByteArrayView json);

std::optional<CacheEntry> readEntry(const QString& folder, const QString& discId);
// Replaces the entry atomically, creating the folder; false with the reason in `error`.
bool writeEntry(const QString& folder, const QString& discId, const CacheEntry& entry,
                QString* error);

// The file name suffix of a picture by its first bytes ("jpg", "png", "gif", "webp"); empty
// when the bytes are none of these.
QString pictureSuffix(QByteArrayView bytes);
// Stores a cover beside the disc's entry as <id>.<suffix>; returns its file name, empty (with
// the reason in `error`) when it is no picture or cannot be written.
QString writeCover(const QString& folder, const QString& discId, const QByteArray& bytes,
                   QString* error);

}  // namespace corvina::lookup
