#include "platform/cd/CdWave.h"

#include <sys/types.h>
#include <cstdint>
#include <cstring>

namespace corvina::cd {
namespace {

// Names longer than this are left to libsndfile, which has its own limit for them.
constexpr std::uint32_t kLongestName = 256;

std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::uint16_t le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

bool readAt(std::FILE* file, long long offset, void* buffer, std::size_t size) {
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0 &&
           std::fread(buffer, 1, size, file) == size;
}

// The INFO names of a LIST chunk's body, `size` bytes at `offset`. False for anything unusual.
bool readInfo(std::FILE* file, long long offset, std::uint32_t size, CdWave& wave) {
    unsigned char kind[4];
    if (size < 4 || !readAt(file, offset, kind, 4)) return false;
    if (std::memcmp(kind, "INFO", 4) != 0) return true;  // labels and the like name nothing
    long long at = offset + 4;
    const long long end = offset + size;
    while (at + 8 <= end) {
        unsigned char head[8];
        if (!readAt(file, at, head, 8)) return false;
        const std::uint32_t length = le32(head + 4);
        if (length > kLongestName || at + 8 + length > end) return false;
        std::string* name = nullptr;
        if (std::memcmp(head, "INAM", 4) == 0) name = &wave.title;
        if (std::memcmp(head, "IART", 4) == 0) name = &wave.artist;
        if (std::memcmp(head, "IPRD", 4) == 0) name = &wave.album;
        if (name) {
            if (!name->empty()) return false;
            char text[kLongestName + 1] = {};
            if (length > 0 && !readAt(file, at + 8, text, length)) return false;
            *name = text;  // up to the first NUL, as stored
        }
        at += 8 + length + (length & 1);
    }
    return true;
}

}  // namespace

std::optional<CdWave> readCdWave(std::FILE* file, long long size) {
    unsigned char riff[12];
    if (!file || size < 12 || !readAt(file, 0, riff, 12)) return std::nullopt;
    if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
        return std::nullopt;
    // A writer that never came back to fill in the sizes leaves them too large: trust the file.
    const long long end = std::min<long long>(size, 8LL + le32(riff + 4));

    CdWave wave;
    bool format = false, data = false;
    long long dataBytes = 0;
    long long at = 12;
    while (at + 8 <= end) {
        unsigned char head[8];
        if (!readAt(file, at, head, 8)) return std::nullopt;
        const std::uint32_t length = le32(head + 4);
        const long long body = at + 8;
        if (std::memcmp(head, "fmt ", 4) == 0) {
            unsigned char fmt[16];
            if (format || length < 16 || !readAt(file, body, fmt, 16)) return std::nullopt;
            const bool pcm = le16(fmt) == 1 && le16(fmt + 2) == 2 && le32(fmt + 4) == 44100 &&
                             le32(fmt + 8) == 44100 * 4 && le16(fmt + 12) == 4 &&
                             le16(fmt + 14) == 16;
            if (!pcm) return std::nullopt;
            format = true;
        } else if (std::memcmp(head, "data", 4) == 0) {
            if (data || !format) return std::nullopt;
            data = true;
            wave.dataOffset = body;
            dataBytes = std::min<long long>(length, size - body);
        } else if (std::memcmp(head, "LIST", 4) == 0) {
            if (body + length > end || !readInfo(file, body, length, wave)) return std::nullopt;
        } else if (std::memcmp(head, "id3 ", 4) == 0 || std::memcmp(head, "ID3 ", 4) == 0) {
            return std::nullopt;
        }
        at = body + length + (length & 1);
    }
    wave.frames = dataBytes / 4;
    if (!data || wave.frames <= 0) return std::nullopt;
    return wave;
}

}  // namespace corvina::cd
