#pragma once
// The player's one sound output, shared by every drive: opens its sink when sound first comes,
// says once on stderr when the device fails or cannot be opened, keeps trying it every two
// seconds in the meantime (the sound is dropped, the drives' clocks run on), and says so again
// when the device is back.
//
// Threading: any thread; calls are serialised by the output's own lock. Playback threads call
// it; the UI thread never does.
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/AudioSink.h"
#include "platform/audio/Gain.h"

namespace corvina::audio {

class AudioOutput {
public:
    using Opener = std::function<std::unique_ptr<AudioSink>(std::string& error)>;

    // `name` is used in messages; `opener` makes the sink (again, `retry` after a failure).
    AudioOutput(std::string name, Opener opener,
                std::chrono::milliseconds retry = std::chrono::seconds(2));
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // The output chosen by CORVINA_AUDIO (ALSA "default" when unset).
    static AudioOutput& shared();

    // Opens the device now rather than when sound first comes (a capture file then exists, and
    // a missing device is reported, from the start). May block briefly.
    void prepare();
    // Plays `frames` stereo frames through the gain stage; silently dropped while the device is
    // unavailable.
    void write(const std::int16_t* samples, int frames);
    // Throws away what the device still holds.
    void drop();
    // See AudioSink::leadSectors (the last opened sink's answer; 0 before any). Never waits.
    int leadSectors();
    // The CD line's volume: set from any thread (the mixer, on the UI thread).
    Gain& gain() { return gain_; }

private:
    bool ensureOpen();
    void fail(const std::string& error);

    std::mutex mutex_;
    std::string name_;
    Opener opener_;
    std::chrono::milliseconds retry_;
    std::unique_ptr<AudioSink> sink_;
    Gain gain_;
    std::vector<std::int16_t> scaled_;  // the gain's output, reused between writes
    std::atomic<int> lead_ = 0;  // read without the lock: asked while another thread writes
    bool reported_ = false;
    std::chrono::steady_clock::time_point nextTry_{};
};

}  // namespace corvina::audio
