#pragma once
// One disc's lookup, as the helper runs it:
//
//   1. MusicBrainz: GET /ws/2/discid/<id>?inc=recordings+artist-credits&cdstubs=no&fmt=json
//      &toc=<toc>. A 503 is answered by waiting (Retry-After, else 2 s, then 4 s) and asking
//      again, twice at most. Releases found: the best by the choice rule is written to the cache
//      with the others, and "names" goes to stdout.
//   2. Its front cover, when the Cover Art Archive has one: GET /release/<mbid>/front-250 (a
//      redirect to the picture), stored beside the entry; "cover" goes to stdout.
//   3. Only when MusicBrainz knows no such disc (404, or a TOC that matches nothing): gnudb,
//      `cddb query`, then `cddb read` of the best match. A refusal (gnudb refuses clients it
//      does not know) counts as "not found".
//   "Not found" from both is cached too ("none" on stdout), for a while (Cache.h). A failure (no
//   network, a time-out, a refused connection, a malformed or oversized reply) writes nothing, so
//   a later run asks again. Whatever went wrong is said in one line on stderr.
//
// The event loop's thread; `finished` is called once with the helper's exit code (0 when the
// servers answered, found or not; 1 when the lookup failed).
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "lookup/Cache.h"
#include "lookup/Request.h"
#include "lookup/helper/Http.h"

namespace corvina::lookup {

class Session : public QObject {
public:
    Session(LookupRequest request, std::function<void(int)> finished);
    void start();

private:
    void askMusicBrainz(int attempt);
    void musicBrainzAnswered(const HttpReply& reply, int attempt);
    void fetchCover(const QString& releaseId);
    void askGnudb();
    void readGnudb(const QString& category, const QString& id);
    void notFound(const QString& why);
    bool store(CacheEntry entry, const char* line);
    void fail(const QString& why);
    void end(int code);

    LookupRequest request_;
    std::function<void(int)> finished_;
    Http http_;
    CacheEntry entry_;
    QString musicBrainzSaid_;  // why MusicBrainz had no names, for the one line on stderr
};

}  // namespace corvina::lookup
