#pragma once
// The reply of MusicBrainz's disc-ID lookup (GET /ws/2/discid/<id>?inc=recordings+artist-credits
// &fmt=json&toc=...), read into the releases it offers, and the rule that picks the one to show.
//
// The reply is untrusted input: anything may be missing, of the wrong type or absurdly long.
// A reply that is no JSON object is malformed; a well-formed one with odd parts yields what
// can be used of it. Any thread.
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <vector>

#include "lookup/Release.h"

namespace corvina::lookup {

// The releases of a reply for the disc `discId` of `audioTracks` audio tracks, best first (by
// `comesFirst`; releases equal by the rule keep the reply's order). A release takes the medium
// that lists `discId`, else its first medium of `audioTracks` tracks; a release with neither is
// left out. Empty when the reply names no release (an unknown disc whose TOC matches nothing);
// nullopt when it is malformed.
std::optional<std::vector<Release>> readMusicBrainzReply(QByteArrayView json, const QString& discId,
                                                         int audioTracks);

// The choice among several releases, rule by rule, each deciding only where the ones before it
// tie: (1) a medium that lists the disc's own ID before one matched by its TOC alone; (2) a
// medium of as many tracks as the disc; (3) a CD format ("CD", "Enhanced CD", "HDCD" ...) before
// any other; (4) the earlier release date, an unknown date last.
bool comesFirst(const Release& a, const Release& b, int audioTracks);

// A medium format of the compact-disc family: "CD", "Enhanced CD", "HDCD", "SHM-CD", "CD-R"...
bool isCdFormat(const QString& format);

}  // namespace corvina::lookup
