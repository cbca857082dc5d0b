#pragma once
// The gain stage of the CD output: scales the two channels of the PCM the drive plays by the
// CD line's volume, after the drive's own channel switches and before the sound device.
//
// Gains are 0 .. 65536 (65536 = unchanged, 0 = silent), one per channel. A new gain is reached
// by a straight ramp over `kRampFrames` frames (about 6 ms), so a change never clicks; a ramp in
// progress continues from where it is towards the newest target.
//
// Threading: `setTarget` may be called from any thread (the UI thread); `apply` from one thread
// at a time (the playback thread, under AudioOutput's lock). The target is one atomic word, so a
// change of both channels is seen whole.
#include <atomic>
#include <cstdint>

namespace corvina::audio {

class Gain {
public:
    static constexpr int kUnity = 65536;
    static constexpr int kRampFrames = 256;

    // Clamped to 0 .. kUnity.
    void setTarget(int left, int right);
    int targetLeft() const { return unpack(target_.load(std::memory_order_relaxed), 0); }
    int targetRight() const { return unpack(target_.load(std::memory_order_relaxed), 1); }

    // True when `apply` would leave the samples exactly as they are. Playback thread, like
    // `apply`.
    bool isUnity() const;
    // Scales `frames` interleaved stereo frames in place.
    void apply(std::int16_t* samples, int frames);

private:
    static std::uint64_t pack(int left, int right) {
        return std::uint64_t(std::uint32_t(left)) << 32 | std::uint32_t(right);
    }
    static int unpack(std::uint64_t word, int channel) {
        return int(std::uint32_t(channel == 0 ? word >> 32 : word));
    }

    std::atomic<std::uint64_t> target_{pack(kUnity, kUnity)};
    // Playback thread only: the gains reached, the target the ramp heads for and its step per
    // frame.
    int current_[2] = {kUnity, kUnity};
    int rampTarget_[2] = {kUnity, kUnity};
    int step_[2] = {0, 0};
};

}  // namespace corvina::audio
