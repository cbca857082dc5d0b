#include <alsa/asoundlib.h>

#include <cerrno>

#include "platform/audio/AudioSink.h"

namespace corvina::audio {
namespace {

struct PcmCloser {
    void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};
using Pcm = std::unique_ptr<snd_pcm_t, PcmCloser>;

// A device that takes nothing for this long is taken for gone rather than waited on forever.
constexpr int kStallMs = 1500;
constexpr int kWaitMs = 100;

// Plays through ALSA. The device is driven non-blocking with bounded waits, so a device that
// hangs shows up as a failure instead of a playback thread stuck for good.
class AlsaSink : public AudioSink {
public:
    explicit AlsaSink(Pcm pcm) : pcm_(std::move(pcm)) {}

    bool write(const std::int16_t* samples, int frames, std::string& error) override {
        int waited = 0;
        while (frames > 0) {
            const snd_pcm_sframes_t n = snd_pcm_writei(pcm_.get(), samples, frames);
            if (n >= 0) {
                samples += n * kChannels;
                frames -= static_cast<int>(n);
                waited = 0;
                continue;
            }
            if (n == -EAGAIN) {
                if (waited >= kStallMs) {
                    error = "the device stopped taking sound";
                    return false;
                }
                snd_pcm_wait(pcm_.get(), kWaitMs);
                waited += kWaitMs;
                continue;
            }
            // Underruns and suspends are ordinary; anything else (a device unplugged) is not.
            const int recovered = snd_pcm_recover(pcm_.get(), static_cast<int>(n), 1);
            if (recovered < 0) {
                error = snd_strerror(recovered);
                return false;
            }
        }
        return true;
    }

    void drop() override {
        snd_pcm_drop(pcm_.get());
        snd_pcm_prepare(pcm_.get());
    }

    int leadSectors() const override { return 15; }  // 0.2 s: enough to ride out a busy moment

private:
    Pcm pcm_;
};

// ALSA prints its own complaints to stderr; the player reports a failing device once, itself.
void quiet(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

std::unique_ptr<AudioSink> openAlsaSink(const std::string& device, std::string& error) {
    snd_lib_error_set_handler(quiet);
    snd_pcm_t* raw = nullptr;
    int rc = snd_pcm_open(&raw, device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (rc < 0) {
        error = "ALSA device " + device + ": " + snd_strerror(rc);
        return nullptr;
    }
    Pcm pcm(raw);
    rc = snd_pcm_set_params(pcm.get(), SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
                            kChannels, kSampleRate, 1, 500000);
    if (rc < 0) {
        error = "ALSA device " + device + ": " + snd_strerror(rc);
        return nullptr;
    }
    return std::make_unique<AlsaSink>(std::move(pcm));
}

}  // namespace corvina::audio
