// Fuzzes the reader of MusicBrainz's disc-ID replies: whatever the input, the releases it yields
// are in the choice rule's order, hold no more track names than the disc has tracks and no name
// longer than the reader's cap, and go through the lookup cache and back unchanged.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lookup/Cache.h"
#include "lookup/MusicBrainzReply.h"

namespace {
const QString kDisc = QStringLiteral("49HHV7Eb8UKF3aQiNmu1GR8vKTY-");
constexpr int kTracks = 6;
constexpr qsizetype kMaxName = 1000;

bool sameNames(const corvina::lookup::Release& a, const corvina::lookup::Release& b) {
    return a.id == b.id && a.artist == b.artist && a.album == b.album && a.date == b.date &&
           a.country == b.country && a.format == b.format && a.tracks == b.tracks &&
           a.frontCover == b.frontCover;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvina::lookup;
    const auto releases = readMusicBrainzReply(
        QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), kDisc, kTracks);
    if (!releases || releases->empty()) return 0;
    for (std::size_t i = 0; i < releases->size(); ++i) {
        const Release& r = (*releases)[i];
        if (r.tracks.size() > std::size_t(kTracks)) std::abort();
        for (const QString& name : r.tracks) {
            if (name.size() > kMaxName) std::abort();
        }
        if (r.artist.size() > kMaxName || r.album.size() > kMaxName) std::abort();
        if (i > 0 && comesFirst(r, (*releases)[i - 1], kTracks)) std::abort();
    }

    CacheEntry entry;
    entry.found = true;
    entry.source = QStringLiteral("musicbrainz");
    entry.lookedUp = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
    entry.chosen = releases->front();
    // The cache keeps fifty others at most.
    const std::size_t kept = std::min<std::size_t>(releases->size(), 51);
    entry.others.assign(releases->begin() + 1, releases->begin() + std::ptrdiff_t(kept));
    const auto back = entryFromJson(entryToJson(entry));
    if (!back || !back->found || !sameNames(back->chosen, entry.chosen) ||
        back->others.size() != entry.others.size() || back->lookedUp != entry.lookedUp)
        std::abort();
    for (std::size_t i = 0; i < entry.others.size(); ++i) {
        if (!sameNames(back->others[i], entry.others[i])) std::abort();
    }
    return 0;
}
