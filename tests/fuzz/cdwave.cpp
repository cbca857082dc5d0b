// Fuzzes the reader of CD-format WAV headers: any bytes give either nothing or samples that lie
// inside the file after a header, and names that are plain strings of bounded length.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/cd/CdWave.h"

namespace {

void check(bool promise) {
    if (!promise) std::abort();
}

void checkName(const std::string& name) {
    check(name.size() <= 256);
    check(name.find('\0') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!file) return 0;
    const auto wave = corvina::cd::readCdWave(file, static_cast<long long>(size));
    std::fclose(file);
    if (!wave) return 0;
    // The smallest header: RIFF, a 16-byte format and the samples' own chunk head.
    check(wave->dataOffset >= 44);
    check(wave->frames > 0);
    check(wave->dataOffset + 4 * wave->frames <= static_cast<long long>(size));
    checkName(wave->title);
    checkName(wave->artist);
    checkName(wave->album);
    return 0;
}
