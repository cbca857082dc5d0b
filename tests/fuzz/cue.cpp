// Fuzzes the cue sheet parser: any text gives a sheet that keeps its promises, or an error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/cd/CueSheet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const auto sheet = corvina::cd::parseCueSheet(
        std::string_view(reinterpret_cast<const char*>(data), size), error);
    if (!sheet) {
        if (error.empty()) std::abort();
        return 0;
    }
    if (sheet->tracks.empty() || sheet->tracks.size() > 99) std::abort();
    int previous = 0;
    for (const auto& track : sheet->tracks) {
        if (track.number <= previous || track.number > 99 || track.index01 < 0) std::abort();
        if (track.file >= sheet->files.size()) std::abort();
        previous = track.number;
    }
    return 0;
}
