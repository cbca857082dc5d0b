#pragma once
// The audio of one disc, sector by sector: a CD rip, the built-in demo disc or a real disc.
//
// Threading: `toc` may be called from any thread (it does not change); `readSector` is called
// by one playback thread at a time and may block (a real drive).
#include <cstdint>
#include <optional>

#include "platform/cd/Drive.h"

namespace corvina::cd {

constexpr int kSamplesPerSector = 588;  // stereo frames of 1/75 s at 44100 Hz

class DiscSource {
public:
    DiscSource() = default;
    DiscSource(const DiscSource&) = delete;
    DiscSource& operator=(const DiscSource&) = delete;
    virtual ~DiscSource() = default;

    virtual const Toc& toc() const = 0;
    // Fills `out` with the 588 interleaved stereo frames (1176 samples) of absolute frame
    // `frame`. Returns false when the sector cannot be read; the player then plays silence.
    virtual bool readSector(int frame, std::int16_t* out) = 0;
    // Names and titles the disc carries, if any.
    virtual std::optional<CdText> cdText() const { return std::nullopt; }
};

}  // namespace corvina::cd
