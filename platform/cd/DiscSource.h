#pragma once
// The audio of one disc, sector by sector: a CD rip, the built-in demo disc or a real disc.
//
// Threading: `toc` may be called from any thread (it does not change); `readSector` and
// `fetchSector` are called by one playback thread at a time. `readSector` may block; a source
// that reads a drive in real time reads ahead on a thread of its own and answers `fetchSector`
// at once from what it has.
#include <cstdint>
#include <functional>
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

    enum class Sector {
        Ready,   // `out` holds the sector
        Silent,  // it cannot be read: it plays as silence (`out` is zeros)
        Later,   // not read yet: ask again once the waker has been called
    };
    // The sector of absolute frame `frame`, without waiting. Asking for a frame away from where
    // the source reads makes it read from there. By default, `readSector`.
    virtual Sector fetchSector(int frame, std::int16_t* out) {
        return readSector(frame, out) ? Sector::Ready : Sector::Silent;
    }
    // Nothing more is wanted until the next fetch (playback stopped): reading ahead stops.
    virtual void release() {}
    // `wake` is called, on the source's own thread, when sectors answered Later may have come;
    // an empty function stops the calls (and returns once none is under way).
    virtual void setWaker(std::function<void()> wake) { (void)wake; }
    // Names and titles the disc carries, if any.
    virtual std::optional<CdText> cdText() const { return std::nullopt; }
};

}  // namespace corvina::cd
