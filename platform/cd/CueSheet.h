#pragma once
// The cue sheet of a CD rip, as read from its text. Pure parsing: no files are touched.
//
// Understood: FILE "name" TYPE, TRACK nn TYPE, INDEX nn mm:ss:ff, PREGAP and POSTGAP mm:ss:ff,
// TITLE and PERFORMER (disc-wide before the first TRACK, else the track's), a track's FLAGS (PRE,
// DCP, 4CH, SCMS, in any case and order; other words on the line are passed over). REM, CATALOG,
// CDTEXTFILE, ISRC, SONGWRITER and the like are skipped, as is FLAGS before the first TRACK.
// Anything else is an error.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvina::cd {

struct CueTrack {
    int number = 0;
    std::size_t file = 0;  // index into CueSheet::files
    bool audio = true;
    int sectorBytes = 2352;  // of the track's sectors in a BINARY file
    int index01 = -1;        // frames from the start of its file
    int pregap = 0;          // frames of silence not in the file, before INDEX 01
    int postgap = 0;         // frames of silence not in the file, after the track
    // FLAGS: the control bits a disc's TOC carries for the track.
    bool preemphasis = false;    // PRE: mastered with pre-emphasis (50/15 us)
    bool copyPermitted = false;  // DCP: digital copy permitted
    bool fourChannel = false;    // 4CH: four-channel audio
    bool serialCopy = false;     // SCMS: serial copy management
    std::string title;
    std::string performer;
};

struct CueFile {
    std::string name;     // as written, relative to the cue sheet's folder unless absolute
    bool binary = false;  // raw 2352-byte sectors (BINARY/MOTOROLA) rather than an audio file
    bool bigEndian = false;
};

struct CueSheet {
    std::string title;
    std::string performer;
    std::vector<CueFile> files;
    std::vector<CueTrack> tracks;
};

// The sheet, or nullopt with `error` saying what is wrong and on which line. A sheet is only
// returned with 1 to 99 tracks, numbered upwards, each with an INDEX 01 that does not go back.
std::optional<CueSheet> parseCueSheet(std::string_view text, std::string& error);

}  // namespace corvina::cd
