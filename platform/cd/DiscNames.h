#pragma once
// The names a disc carries itself: CD-TEXT of a real disc, a cue sheet's PERFORMER and TITLE, the
// tags of a folder's rips, the demo disc's own. They stand in for the title file's defaults
// ("Artist", "Album", "Track 01") wherever the title file names nothing; a name in the title file
// always wins.
//
// UI thread only (it asks the drives).
#include <QString>
#include <string>
#include <vector>

#include "platform/cd/Drive.h"

namespace corvina::cd {

struct DiscNames {
    QString artist;               // empty: the disc names no artist
    QString album;                // empty: no album
    std::vector<QString> tracks;  // track n is tracks[n - 1]; may be shorter or hold empty names

    // The name of track n (1-based), empty when the disc has none.
    QString track(int n) const;
    // `name` unless it is empty, else `fallback`.
    static QString orDefault(const QString& name, const QString& fallback);
};

// The names in a disc's CD-TEXT. A disc without a disc-wide performer whose tracks all name the
// same one is taken to be by that performer.
DiscNames namesFromText(const std::optional<CdText>& text);

// The names of the disc the player would name by its serial: the disc in the drive `root`
// ("E:"), else the default drive's (the same choice as the disc serial). Empty when neither
// holds a usable disc or the disc names nothing.
DiscNames discNames(const QString& root);

// Names stored as bytes whose encoding nobody recorded (cue sheets, WAV tags, CD-TEXT read from
// an image). Decided once for all names of a disc: UTF-8 when every one of them is valid UTF-8,
// else the GB code page Chinese Windows tools write (read as GB18030, which contains GBK and
// GB2312). One decision per disc, because a short GBK name can be valid UTF-8 by accident.
bool allUtf8(const std::vector<std::string>& names);
QString decodeName(const std::string& bytes, bool utf8);

}  // namespace corvina::cd
