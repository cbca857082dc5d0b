#include "platform/audio/AudioSink.h"

namespace corvina::audio {

std::unique_ptr<AudioSink> openSink(const std::string& choice, std::string& error) {
    if (choice.empty() || choice == "default") return openAlsaSink("default", error);
    if (choice == "null") return openNullSink();
    if (choice.starts_with("alsa:") && choice.size() > 5)
        return openAlsaSink(choice.substr(5), error);
    if (choice.starts_with("wav:") && choice.size() > 4)
        return openWavSink(choice.substr(4), error);
    error = "unknown output (use default, alsa:NAME, null or wav:PATH)";
    return nullptr;
}

}  // namespace corvina::audio
