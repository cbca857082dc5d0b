#pragma once
// The IDs online name servers know a disc by, computed from its table of contents with
// libdiscid, which the player opens the first time a disc needs a lookup (a player whose discs
// are all named never maps it).
//
// MusicBrainz counts the audio of the first session only: on an enhanced CD (audio, then a data
// session) its lead-out is the end of the first session, and the data track is left out. A disc
// whose last tracks are data tracks but whose TOC tells no session end is taken for such a
// disc too, its audio ending where the first trailing data track starts. CDDB counts every
// track up to the disc's lead-out, as the programs that filled gnudb did.
//
// Any thread.
#include <QString>
#include <optional>

#include "platform/cd/Drive.h"

namespace corvina::lookup {

struct DiscIds {
    QString musicBrainz;  // "49HHV7Eb8UKF3aQiNmu1GR8vKTY-"
    QString freedb;       // "3404f606"
    // MusicBrainz's TOC: first and last track, lead-out, offsets, separated by blanks.
    QString toc;
    // A CDDB query's arguments after the ID: track count, offsets, length in seconds.
    QString cddbQuery;
    int audioTracks = 0;  // the tracks MusicBrainz counts
};

// nullopt, with the reason in `error`, when libdiscid cannot be opened or refuses the TOC (no
// audio track, offsets out of order).
std::optional<DiscIds> discIds(const cd::Toc& toc, QString* error = nullptr);

}  // namespace corvina::lookup
