#pragma once
// A sound output device for CD audio: 44100 Hz, 16-bit, two interleaved channels.
//
// Backends, one file each: ALSA (`AlsaSink.cpp`), a discarding sink (`NullSink.cpp`) and a WAV
// capture (`WavSink.cpp`). They are chosen by CORVINA_AUDIO through `openSink`.
//
// Threading: a sink is used by one thread at a time (the playback thread, through
// AudioOutput's lock); opening may block briefly and is never done on the UI thread.
#include <cstdint>
#include <memory>
#include <string>

namespace corvina::audio {

constexpr int kSampleRate = 44100;
constexpr int kChannels = 2;

class AudioSink {
public:
    AudioSink() = default;
    AudioSink(const AudioSink&) = delete;
    AudioSink& operator=(const AudioSink&) = delete;
    virtual ~AudioSink() = default;

    // Writes `frames` stereo frames (2 * frames samples). Returns false when the device failed;
    // `error` then says why in the library's own words. May block until the device has room.
    virtual bool write(const std::int16_t* samples, int frames, std::string& error) = 0;
    // Throws away what is queued but not yet heard (stop, seek, a jump).
    virtual void drop() {}
    // How many CD sectors (1/75 s each) ahead of the clock the player should write so that the
    // device never runs dry. 0 for sinks that are not paced by hardware: they get each sector
    // once it has been played by the clock, so that they hold exactly what was played.
    virtual int leadSectors() const { return 0; }
};

// `spec` as CORVINA_AUDIO gives it: "default" (or empty), "alsa:NAME", "null" or "wav:PATH".
// Returns null and sets `error` when the device cannot be opened or the spec is unknown.
std::unique_ptr<AudioSink> openSink(const std::string& spec, std::string& error);

std::unique_ptr<AudioSink> openAlsaSink(const std::string& device, std::string& error);
std::unique_ptr<AudioSink> openNullSink();
std::unique_ptr<AudioSink> openWavSink(const std::string& path, std::string& error);

}  // namespace corvina::audio
