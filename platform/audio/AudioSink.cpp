#include "platform/audio/AudioSink.h"

namespace corvina::audio {

std::unique_ptr<AudioSink> openSink(const std::string& spec, std::string& error) {
    if (spec.empty() || spec == "default") return openAlsaSink("default", error);
    if (spec == "null") return openNullSink();
    if (spec.starts_with("alsa:") && spec.size() > 5) return openAlsaSink(spec.substr(5), error);
    if (spec.starts_with("wav:") && spec.size() > 4) return openWavSink(spec.substr(4), error);
    error = "unknown output (use default, alsa:NAME, null or wav:PATH)";
    return nullptr;
}

}  // namespace corvina::audio
