#pragma once
// Undoes the pre-emphasis some CDs were mastered with (time constants 50 us and 15 us, the
// track's pre-emphasis flag in the TOC): a shelf that leaves low frequencies as they are and
// lowers the top of the band by up to 10.5 dB, following H(s) = (1 + s*15us) / (1 + s*50us)
// within 0.01 dB from 20 Hz to 20 kHz. DC passes unchanged, sample for sample.
//
// Samples are interleaved stereo 16-bit PCM at 44100 Hz, filtered in place; each channel keeps
// its own state. Results are rounded to the nearest sample and saturate at the 16-bit limits.
//
// Threading: none of its own. One thread at a time (the playback thread) calls `process` and
// `reset`; the filter holds no lock and allocates nothing.
#include <cstdint>

namespace corvina::audio {

class Deemphasis {
public:
    // Forgets the past samples, as at the start of a track or after a seek: the next `process`
    // starts from silence.
    void reset();
    // Filters `frames` stereo frames (2 * frames samples) in place, continuing from the samples
    // of the previous call.
    void process(std::int16_t* samples, int frames);

private:
    // Per channel: the last two inputs and outputs (direct form I).
    struct State {
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    };
    State state_[2];
};

}  // namespace corvina::audio
