#pragma once
// What the player asks its lookup helper (corvina-lookup) to find: one disc, by its IDs and its
// table of contents, passed on the helper's command line. The player builds the request; the
// helper reads it back and trusts nothing it did not check.
//
// Any thread.
#include <QString>
#include <QStringList>
#include <optional>

namespace corvina::lookup {

struct LookupRequest {
    QString cacheFolder;
    QString discId;  // MusicBrainz disc ID (28 characters)
    // The TOC as MusicBrainz takes it: first track, last track, lead-out, each track's offset
    // (frames from the start of the disc, lead-in included), separated by blanks.
    QString toc;
    QString freedbId;  // CDDB disc ID, eight lower-case hex digits
    // The rest of a `cddb query` after the ID: the number of tracks, each offset, the disc's
    // length in seconds, separated by blanks (the whole disc, data session included).
    QString cddbQuery;
    int audioTracks = 0;    // tracks the names are for (the first session's)
    QString gnudbEmail;     // the `hello` identity, "user@host"
    int timeoutMs = 10000;  // each request's time-out
};

QStringList toArguments(const LookupRequest& request);
// nullopt (with the reason in `error`) for arguments that are not a request of this form.
std::optional<LookupRequest> fromArguments(const QStringList& arguments, QString* error);

// "user@host" made of letters, digits and . _ + - (what a CDDB hello carries without quoting).
bool isHelloEmail(const QString& email);

// The name servers. Each is asked at its HTTPS address unless its variable names another base
// URL (plain HTTP allowed there, for test servers): CORVINA_MUSICBRAINZ_URL,
// CORVINA_COVERART_URL, CORVINA_GNUDB_URL. A variable that is set but empty leaves its server
// out. An empty result: the server is not asked (`why` says so for a base URL that is no HTTP
// or HTTPS URL).
enum class Server { MusicBrainz, CoverArt, Gnudb };
QString serverBase(Server server, QString* why = nullptr);

// The player's name, version and contact, as the servers are told them:
// "Corvina/4.3 ( maintainers@corvina.invalid )".
QString userAgent();
// The contact address the build was given (CORVINA_CONTACT), also the default gnudb identity.
QString contactAddress();

}  // namespace corvina::lookup
