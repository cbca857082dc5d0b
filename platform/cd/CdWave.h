#pragma once
// WAV files in the CD's own sample format (16-bit little-endian stereo PCM at 44100 Hz) are the
// sectors of a disc behind a header: read here without libsndfile, as a raw image is. Only the
// plainest files qualify; anything else (another format, mono, an extensible or damaged header,
// ID3 tags, repeated or long names) gets nullopt and is left to libsndfile, which reads it the
// same way or better.
#include <cstdio>
#include <optional>
#include <string>

namespace corvina::cd {

struct CdWave {
    long long dataOffset = 0;  // byte offset of the first sample frame
    long long frames = 0;      // whole stereo frames of 4 bytes
    // The INFO list's names (INAM, IART, IPRD) as stored, as libsndfile gives them.
    std::string title;
    std::string artist;
    std::string album;
};

// Reads the header of `file`, `size` bytes long, from its start.
std::optional<CdWave> readCdWave(std::FILE* file, long long size);

}  // namespace corvina::cd
