// Fuzzes the readers of gnudb's replies: a query's matches are plain words that can go back to
// the server, a found query always has one to read, and an entry yields at most a disc's track
// names, each on one line and within the reader's cap.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lookup/CddbReply.h"

namespace {
constexpr int kTracks = 12;
constexpr qsizetype kMaxName = 1000;

bool plainWord(const QString& word) {
    if (word.isEmpty()) return false;
    for (QChar c : word) {
        if (c.unicode() > 0x7f || !c.isLetterOrNumber()) return false;
    }
    return true;
}

bool oneLine(const QString& name) {
    return name.size() <= kMaxName && !name.contains(QLatin1Char('\n')) &&
           !name.contains(QLatin1Char('\r')) && name == name.trimmed();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvina::lookup;
    const QByteArrayView body(reinterpret_cast<const char*>(data), qsizetype(size));

    const CddbQueryReply query = readCddbQuery(body);
    for (const CddbMatch& match : query.matches) {
        if (!plainWord(match.category) || !plainWord(match.discId)) std::abort();
    }
    const bool found = query.kind == CddbQueryReply::Kind::Found;
    if (found != !query.matches.empty()) std::abort();
    if (found && !chooseCddbMatch(query.matches, QStringLiteral("3404f606"))) std::abort();

    if (const auto entry = readCddbEntry(body, kTracks)) {
        if (entry->tracks.size() > std::size_t(kTracks)) std::abort();
        if (entry->artist.isEmpty() || entry->album.isEmpty()) std::abort();
        for (const QString& name : entry->tracks) {
            if (!oneLine(name)) std::abort();
        }
        if (!oneLine(entry->artist) || !oneLine(entry->album) || !oneLine(entry->date))
            std::abort();
    }
    return 0;
}
