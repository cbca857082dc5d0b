#include "platform/cd/CueSheet.h"

#include <algorithm>

namespace corvina::cd {
namespace {

constexpr int kMostTracks = 99;

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// Splits a line into words; a word in double quotes may hold blanks.
std::vector<std::string> words(std::string_view line) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i == line.size()) break;
        if (line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? line.size() : close;
            out.emplace_back(line.substr(i + 1, end - i - 1));
            i = end == line.size() ? end : end + 1;
        } else {
            const std::size_t begin = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
            out.emplace_back(line.substr(begin, i - begin));
        }
    }
    return out;
}

int number(std::string_view text, int most) {
    if (text.empty() || text.size() > 4) return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value <= most ? value : -1;
}

// mm:ss:ff as frames; -1 when malformed.
int msf(std::string_view text) {
    const std::size_t a = text.find(':');
    const std::size_t b = a == std::string_view::npos ? a : text.find(':', a + 1);
    if (b == std::string_view::npos) return -1;
    const int m = number(text.substr(0, a), 9999);
    const int s = number(text.substr(a + 1, b - a - 1), 59);
    const int f = number(text.substr(b + 1), 74);
    if (m < 0 || s < 0 || f < 0) return -1;
    return (m * 60 + s) * 75 + f;
}

// Sector sizes of the track types; 0 for types the player cannot lay out.
int sectorBytes(const std::string& type) {
    if (type == "AUDIO" || type == "MODE1/2352" || type == "MODE2/2352") return 2352;
    if (type == "MODE1/2048" || type == "MODE2/2048") return 2048;
    if (type == "MODE2/2336" || type == "CDI/2336") return 2336;
    if (type == "CDI/2352") return 2352;
    if (type == "CDG") return 2448;
    return 0;
}

}  // namespace

std::optional<CueSheet> parseCueSheet(std::string_view text, std::string& error) {
    CueSheet sheet;
    int lineNo = 0;
    auto failAt = [&](const std::string& what) {
        error = "line " + std::to_string(lineNo) + ": " + what;
        return std::nullopt;
    };
    // A UTF-8 byte order mark is common at the start of sheets saved by Windows editors.
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::vector<std::string> w = words(line);
        if (w.empty()) continue;
        const std::string key = upper(w[0]);
        CueTrack* track = sheet.tracks.empty() ? nullptr : &sheet.tracks.back();
        if (key == "FILE") {
            if (w.size() != 3) return failAt("FILE needs a name and a type");
            const std::string type = upper(w[2]);
            if (w[1].empty()) return failAt("FILE without a name");
            sheet.files.push_back(
                {w[1], type == "BINARY" || type == "MOTOROLA", type == "MOTOROLA"});
        } else if (key == "TRACK") {
            if (w.size() != 3) return failAt("TRACK needs a number and a type");
            if (sheet.files.empty()) return failAt("TRACK before any FILE");
            if (sheet.tracks.size() >= kMostTracks) return failAt("more than 99 tracks");
            const int n = number(w[1], kMostTracks);
            if (n < 1) return failAt("bad track number '" + w[1].substr(0, 8) + "' (1 to 99)");
            if (track && n <= track->number) return failAt("track numbers must go up");
            if (track && track->index01 < 0) return failAt("track without INDEX 01");
            const int bytes = sectorBytes(upper(w[2]));
            if (bytes == 0) return failAt("unknown track type '" + w[2] + "'");
            CueTrack next;
            next.number = n;
            next.file = sheet.files.size() - 1;
            next.audio = upper(w[2]) == "AUDIO";
            next.sectorBytes = bytes;
            sheet.tracks.push_back(next);
        } else if (key == "INDEX") {
            if (!track) return failAt("INDEX outside a track");
            if (w.size() != 3) return failAt("INDEX needs a number and a time");
            const int n = number(w[1], 99);
            const int frames = msf(w[2]);
            if (n < 0 || frames < 0) return failAt("bad INDEX");
            if (n == 1) {
                // Rips that keep each gap at the end of the previous file start a track in one
                // FILE and give its INDEX 01 in the next: the track begins in that next file.
                track->file = sheet.files.size() - 1;
                if (track->index01 >= 0) return failAt("second INDEX 01");
                const CueTrack* previous =
                    sheet.tracks.size() > 1 ? &sheet.tracks[sheet.tracks.size() - 2] : nullptr;
                if (previous && previous->file == track->file && frames < previous->index01) {
                    return failAt("INDEX 01 goes back");
                }
                track->index01 = frames;
            }
        } else if (key == "PREGAP" || key == "POSTGAP") {
            if (!track || w.size() != 2) return failAt(key + " needs a track and a time");
            const int frames = msf(w[1]);
            if (frames < 0) return failAt("bad " + key);
            (key == "PREGAP" ? track->pregap : track->postgap) = frames;
        } else if (key == "TITLE" || key == "PERFORMER") {
            const std::string value = w.size() > 1 ? w[1] : std::string();
            std::string& field = key == "TITLE" ? (track ? track->title : sheet.title)
                                                : (track ? track->performer : sheet.performer);
            field = value;
        } else if (key == "FLAGS" && track) {
            // Several FLAGS lines add up. Words other than the four flags (some writers add DATA)
            // are passed over: sheets that carry them played before flags were read, and still do.
            for (std::size_t i = 1; i < w.size(); ++i) {
                const std::string flag = upper(w[i]);
                if (flag == "PRE") track->preemphasis = true;
                if (flag == "DCP") track->copyPermitted = true;
                if (flag == "4CH") track->fourChannel = true;
                if (flag == "SCMS") track->serialCopy = true;
            }
        } else if (key == "REM" || key == "CATALOG" || key == "CDTEXTFILE" || key == "FLAGS" ||
                   key == "ISRC" || key == "SONGWRITER") {
            continue;
        } else {
            std::string shown = w[0].substr(0, 40);
            for (char& c : shown)
                if (static_cast<unsigned char>(c) < 32 || c == 127) c = '?';
            return failAt("unknown command '" + shown + "'");
        }
    }
    if (sheet.tracks.empty()) {
        error = "the cue sheet lists no tracks";
        return std::nullopt;
    }
    if (sheet.tracks.back().index01 < 0) {
        error = "track " + std::to_string(sheet.tracks.back().number) + " has no INDEX 01";
        return std::nullopt;
    }
    return sheet;
}

}  // namespace corvina::cd
