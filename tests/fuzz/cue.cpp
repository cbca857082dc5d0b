// Fuzzes the cue sheet parser: any text gives a sheet that keeps its promises, or an error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cd/CueSheet.h"

namespace {

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return out;
}

// The times of an accepted sheet, read independently of the parser: every INDEX, PREGAP and
// POSTGAP time written as mm:ss:ff must have seconds below 60 and frames below 75. Lines with
// quotes are left out (the parser's word rules for them are its own).
void checkTimes(std::string_view text) {
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (line.find('"') != std::string_view::npos) continue;
        std::vector<std::string_view> words;
        std::size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
            const std::size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
            if (i > start) words.push_back(line.substr(start, i - start));
        }
        if (words.empty()) continue;
        const std::string key = upper(words[0]);
        std::string_view time;
        if (key == "INDEX" && words.size() == 3) time = words[2];
        if ((key == "PREGAP" || key == "POSTGAP") && words.size() == 2) time = words[1];
        const std::size_t a = time.find(':');
        const std::size_t b = a == std::string_view::npos ? a : time.find(':', a + 1);
        if (b == std::string_view::npos) continue;
        const std::string_view ss = time.substr(a + 1, b - a - 1);
        const std::string_view ff = time.substr(b + 1);
        const auto value = [](std::string_view digits) {
            long v = 0;
            for (char c : digits) v = c >= '0' && c <= '9' && v < 100000 ? v * 10 + (c - '0') : v;
            return v;
        };
        if (value(ss) >= 60 || value(ff) >= 75) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const auto sheet = corvina::cd::parseCueSheet(
        std::string_view(reinterpret_cast<const char*>(data), size), error);
    if (!sheet) {
        if (error.empty()) std::abort();
        return 0;
    }
    if (sheet->tracks.empty() || sheet->tracks.size() > 99) std::abort();
    checkTimes(std::string_view(reinterpret_cast<const char*>(data), size));
    int previous = 0;
    for (const auto& track : sheet->tracks) {
        if (track.number <= previous || track.number > 99 || track.index01 < 0) std::abort();
        if (track.file >= sheet->files.size()) std::abort();
        // No time field goes past 9999:59:74.
        constexpr int kLongest = (9999 * 60 + 59) * 75 + 74;
        if (track.index01 > kLongest || track.pregap < 0 || track.pregap > kLongest ||
            track.postgap < 0 || track.postgap > kLongest)
            std::abort();
        previous = track.number;
    }
    return 0;
}
