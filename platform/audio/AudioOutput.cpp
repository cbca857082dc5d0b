#include "platform/audio/AudioOutput.h"

#include <cstdio>
#include <cstdlib>

namespace corvina::audio {
AudioOutput::AudioOutput(std::string name, Opener opener, std::chrono::milliseconds retry)
    : name_(std::move(name)), opener_(std::move(opener)), retry_(retry) {}

AudioOutput& AudioOutput::shared() {
    // Never destroyed: drives that live in other statics may still play into it at exit.
    static AudioOutput* output = [] {
        const char* env = std::getenv("CORVINA_AUDIO");
        std::string choice = env && *env ? env : "default";
        return new AudioOutput(choice,
                               [choice](std::string& error) { return openSink(choice, error); });
    }();
    return *output;
}

bool AudioOutput::ensureOpen() {
    if (sink_) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextTry_) return false;
    std::string error;
    sink_ = opener_(error);
    if (!sink_) {
        fail(error);
        return false;
    }
    lead_ = sink_->leadSectors();
    if (reported_) std::fprintf(stderr, "Corvina: sound output '%s' is back.\n", name_.c_str());
    reported_ = false;
    return true;
}

void AudioOutput::fail(const std::string& error) {
    sink_.reset();
    nextTry_ = std::chrono::steady_clock::now() + retry_;
    if (reported_) return;
    reported_ = true;
    std::fprintf(stderr, "Corvina: no sound from output '%s': %s. The disc plays on silently.\n",
                 name_.c_str(), error.c_str());
}

void AudioOutput::prepare() {
    std::lock_guard lock(mutex_);
    ensureOpen();
}

void AudioOutput::write(const std::int16_t* samples, int frames) {
    std::lock_guard lock(mutex_);
    if (!ensureOpen()) return;
    if (!gain_.isUnity()) {
        scaled_.assign(samples, samples + std::size_t(frames) * kChannels);
        gain_.apply(scaled_.data(), frames);
        samples = scaled_.data();
    }
    std::string error;
    if (!sink_->write(samples, frames, error)) fail(error);
}

void AudioOutput::drop() {
    std::lock_guard lock(mutex_);
    if (sink_) sink_->drop();
}

int AudioOutput::leadSectors() {
    return lead_;
}

}  // namespace corvina::audio
