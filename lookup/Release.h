#pragma once
// One album that may be the disc in the drive, as a name server describes it: the names the
// player shows for it and what the choice among several such albums looks at.
//
// Plain data; any thread.
#include <QString>
#include <vector>

namespace corvina::lookup {

struct Release {
    QString id;       // MusicBrainz release ID; empty for a gnudb entry
    QString artist;   // the album's artist credit as one text ("A & B feat. C")
    QString album;    // the release's title
    QString date;     // "1999", "1999-05" or "1999-05-10"; empty when unknown
    QString country;  // "GB", "XW", ...; empty when unknown
    QString format;   // the chosen medium's format ("CD", "Enhanced CD", "Vinyl" ...)
    // Names of tracks 1, 2, ... of the disc (empty where the server names none). Track n of the
    // disc is the medium's track at position n.
    std::vector<QString> tracks;
    bool frontCover = false;  // the Cover Art Archive holds a front picture of the release
    // What the choice looks at (not kept in the cache).
    bool discIdMatches = false;  // the medium lists the disc's own disc ID
    int mediumTracks = 0;        // tracks on the chosen medium
};

}  // namespace corvina::lookup
