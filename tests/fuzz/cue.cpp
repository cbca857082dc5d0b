// Fuzzes the cue sheet parser: any text gives a sheet that keeps its promises, or an error.
// Among the promises: every time in an accepted sheet is a real one (seconds below 60, frames
// below 75), checked against the sheet's own lines, and a flag is set only by a sheet that
// names it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cd/CueSheet.h"

namespace {

constexpr int kMostFrames = (9999 * 60 + 59) * 75 + 74;

std::vector<std::string_view> blankSeparated(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const std::size_t begin = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > begin) out.push_back(line.substr(begin, i - begin));
    }
    return out;
}

bool isCommand(std::string_view word, std::string_view command) {
    if (word.size() != command.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if ((word[i] & ~0x20) != command[i]) return false;
    return true;
}

// mm:ss:ff written in plain digits: whether seconds and frames are in range. Other spellings
// (quoted, signed) are not judged here.
bool outOfRange(std::string_view time) {
    int field = 0;
    long value[3] = {0, 0, 0};
    for (char c : time) {
        if (c == ':') {
            if (++field > 2) return false;
        } else if (c >= '0' && c <= '9') {
            value[field] = std::min(value[field] * 10 + (c - '0'), 100000L);
        } else {
            return false;
        }
    }
    return field == 2 && (value[1] >= 60 || value[2] >= 75);
}

// Whether `word` (upper case) appears in `text`, in any case.
bool mentions(std::string_view text, std::string_view word) {
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
        std::size_t j = 0;
        while (j < word.size() && (text[i + j] == word[j] || text[i + j] == (word[j] | 0x20))) ++j;
        if (j == word.size()) return true;
    }
    return false;
}

// A line of an accepted sheet that gives a time no disc can have.
bool hasImpossibleTime(std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const auto w = blankSeparated(line);
        if (w.empty()) continue;
        if ((isCommand(w[0], "INDEX") || isCommand(w[0], "PREGAP") || isCommand(w[0], "POSTGAP")) &&
            outOfRange(w.back()))
            return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto sheet = corvina::cd::parseCueSheet(text, error);
    if (!sheet) {
        if (error.empty()) std::abort();
        return 0;
    }
    if (sheet->tracks.empty() || sheet->tracks.size() > 99) std::abort();
    if (hasImpossibleTime(text)) std::abort();
    int previous = 0;
    for (const auto& track : sheet->tracks) {
        if (track.number <= previous || track.number > 99) std::abort();
        if (track.index01 < 0 || track.index01 > kMostFrames) std::abort();
        if (track.pregap < 0 || track.pregap > kMostFrames) std::abort();
        if (track.postgap < 0 || track.postgap > kMostFrames) std::abort();
        if (track.file >= sheet->files.size()) std::abort();
        if (track.preemphasis && !mentions(text, "PRE")) std::abort();
        if (track.fourChannel && !mentions(text, "4CH")) std::abort();
        // No time field goes past 9999:59:74.
        constexpr int kLongest = (9999 * 60 + 59) * 75 + 74;
        if (track.index01 > kLongest || track.pregap < 0 || track.pregap > kLongest ||
            track.postgap < 0 || track.postgap > kLongest)
            std::abort();
        previous = track.number;
    }
    return 0;
}
