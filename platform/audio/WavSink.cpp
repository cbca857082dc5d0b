#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/audio/AudioSink.h"

namespace corvina::audio {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

void putLe(unsigned char* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

// Captures what is played into a 16-bit stereo WAV file. The header's sizes are brought up to
// date after every write, so the file is complete even if the player is killed.
class WavSink : public AudioSink {
public:
    explicit WavSink(File file) : file_(std::move(file)) {}

    bool writeHeader(std::string& error) {
        unsigned char h[44] = {};
        std::memcpy(h, "RIFF", 4);
        putLe(h + 4, 36 + dataBytes_, 4);
        std::memcpy(h + 8, "WAVEfmt ", 8);
        putLe(h + 16, 16, 4);
        putLe(h + 20, 1, 2);  // PCM
        putLe(h + 22, kChannels, 2);
        putLe(h + 24, kSampleRate, 4);
        putLe(h + 28, kSampleRate * kChannels * 2, 4);
        putLe(h + 32, kChannels * 2, 2);
        putLe(h + 34, 16, 2);
        std::memcpy(h + 36, "data", 4);
        putLe(h + 40, dataBytes_, 4);
        if (std::fseek(file_.get(), 0, SEEK_SET) != 0 || std::fwrite(h, 1, 44, file_.get()) != 44 ||
            std::fseek(file_.get(), 0, SEEK_END) != 0 || std::fflush(file_.get()) != 0) {
            error = std::strerror(errno);
            return false;
        }
        return true;
    }

    bool write(const std::int16_t* samples, int frames, std::string& error) override {
        unsigned char bytes[2 * kChannels * 588];
        const int chunk = 588;
        for (int done = 0; done < frames; done += chunk) {
            const int n = frames - done < chunk ? frames - done : chunk;
            for (int i = 0; i < n * kChannels; ++i) {
                putLe(bytes + 2 * i, static_cast<std::uint16_t>(samples[done * kChannels + i]), 2);
            }
            const std::size_t size = static_cast<std::size_t>(n) * kChannels * 2;
            if (std::fwrite(bytes, 1, size, file_.get()) != size) {
                error = std::strerror(errno);
                return false;
            }
            dataBytes_ += static_cast<std::uint32_t>(size);
        }
        return writeHeader(error);
    }

private:
    File file_;
    std::uint32_t dataBytes_ = 0;
};

}  // namespace

std::unique_ptr<AudioSink> openWavSink(const std::string& path, std::string& error) {
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        error = path + ": " + std::strerror(errno);
        return nullptr;
    }
    auto sink = std::make_unique<WavSink>(std::move(file));
    if (!sink->writeHeader(error)) return nullptr;
    return sink;
}

}  // namespace corvina::audio
