#include "platform/audio/Gain.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace corvina::audio {
namespace {

inline std::int16_t scale(std::int16_t sample, int gain) {
    // gain <= 65536 keeps the product within 32 bits and the result within 16.
    return std::int16_t((std::int32_t(sample) * gain) >> 16);
}

void scaleChannel(std::int16_t* samples, int frames, int channel, int gain) {
    std::int16_t* s = samples + channel;
    for (int i = 0; i < frames; ++i) s[2 * i] = scale(s[2 * i], gain);
}

}  // namespace

void Gain::setTarget(int left, int right) {
    left = std::clamp(left, 0, kUnity);
    right = std::clamp(right, 0, kUnity);
    target_.store(pack(left, right), std::memory_order_relaxed);
}

bool Gain::isUnity() const {
    const std::uint64_t t = target_.load(std::memory_order_relaxed);
    return unpack(t, 0) == kUnity && unpack(t, 1) == kUnity && current_[0] == kUnity &&
           current_[1] == kUnity;
}

void Gain::apply(std::int16_t* samples, int frames) {
    const std::uint64_t t = target_.load(std::memory_order_relaxed);
    const int target[2] = {unpack(t, 0), unpack(t, 1)};
    // A new target starts a straight ramp from where the gain stands: a fixed step per frame,
    // so a full swing and a small nudge both take the same few milliseconds.
    for (int c = 0; c < 2; ++c) {
        if (target[c] == rampTarget_[c]) continue;
        rampTarget_[c] = target[c];
        step_[c] = (std::abs(target[c] - current_[c]) + kRampFrames - 1) / kRampFrames;
    }
    int done = 0;
    while (done < frames && (current_[0] != target[0] || current_[1] != target[1])) {
        for (int c = 0; c < 2; ++c) {
            if (current_[c] < target[c])
                current_[c] = std::min(target[c], current_[c] + step_[c]);
            else if (current_[c] > target[c])
                current_[c] = std::max(target[c], current_[c] - step_[c]);
        }
        samples[2 * done] = scale(samples[2 * done], current_[0]);
        samples[2 * done + 1] = scale(samples[2 * done + 1], current_[1]);
        ++done;
    }
    if (done == frames) return;
    std::int16_t* rest = samples + 2 * done;
    const int left = frames - done;
    if (current_[0] == kUnity && current_[1] == kUnity) return;
    if (current_[0] == 0 && current_[1] == 0) {
        std::memset(rest, 0, sizeof(std::int16_t) * 2 * std::size_t(left));
        return;
    }
    if (current_[0] == current_[1]) {
        const int g = current_[0];
        for (int i = 0; i < 2 * left; ++i) rest[i] = scale(rest[i], g);
        return;
    }
    scaleChannel(rest, left, 0, current_[0]);
    scaleChannel(rest, left, 1, current_[1]);
}

}  // namespace corvina::audio
