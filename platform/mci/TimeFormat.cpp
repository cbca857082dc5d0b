#include "platform/mci/TimeFormat.h"

#include <cstdio>
#include <vector>

#include "platform/mci/Mci.h"

namespace corvina::mci {
namespace {

constexpr long long kLargest = 1'000'000'000;  // beyond any disc in any unit

std::string twoDigits(long long value) {
    char text[24];
    std::snprintf(text, sizeof text, "%02lld", value);
    return text;
}

std::string msf(long long frames) {
    const long long f = frames % cd::kFramesPerSecond;
    const long long s = frames / cd::kFramesPerSecond % 60;
    const long long m = frames / (60 * cd::kFramesPerSecond);
    return twoDigits(m) + ":" + twoDigits(s) + ":" + twoDigits(f);
}

std::vector<std::string_view> splitColons(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t colon = text.find(':', begin);
        fields.push_back(
            text.substr(begin, colon == std::string_view::npos ? colon : colon - begin));
        if (colon == std::string_view::npos) return fields;
        begin = colon + 1;
    }
}

}  // namespace

long long framesToMs(long long frames) {
    return frames * 1000 / cd::kFramesPerSecond;
}

long long msToFrames(long long ms) {
    return (ms * cd::kFramesPerSecond + 500) / 1000;
}

long long parseCount(std::string_view text) {
    if (!text.empty() && text.front() == '-') {
        return parseCount(text.substr(1)) >= 0 ? -2 : -1;
    }
    if (text.empty()) return -1;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
        if (value > kLargest) return -3;
    }
    return value;
}

std::string formatPosition(int frame, TimeFormat format, const cd::Toc& toc) {
    switch (format) {
        case TimeFormat::Milliseconds:
            return std::to_string(framesToMs(frame));
        case TimeFormat::Msf:
            return msf(frame < 0 ? 0 : frame);
        case TimeFormat::Tmsf:
            break;
    }
    const int track = toc.trackAt(frame);
    if (track == 0) return "00:00:00:00";
    const int offset = frame - toc.trackStart(track);
    return twoDigits(track) + ":" + msf(offset < 0 ? 0 : offset);
}

std::string formatLength(int frames, TimeFormat format) {
    if (format == TimeFormat::Milliseconds) return std::to_string(framesToMs(frames));
    return msf(frames < 0 ? 0 : frames);
}

ParsedPosition parsePosition(std::string_view text, TimeFormat format, const cd::Toc& toc) {
    long long frame = 0;
    if (format == TimeFormat::Milliseconds) {
        const long long ms = parseCount(text);
        if (ms == -1) return {kErrBadInteger, 0};
        // Compared in milliseconds too, so that 1999 is before a track starting at 2000 even
        // though it rounds to that track's first frame.
        if (ms < 0 || ms < framesToMs(toc.firstFrame())) return {kErrOutOfRange, 0};
        frame = msToFrames(ms);
    } else {
        const std::vector<std::string_view> fields = splitColons(text);
        const std::size_t most = format == TimeFormat::Tmsf ? 4 : 3;
        if (fields.size() > most) return {kErrBadInteger, 0};
        long long values[4] = {0, 0, 0, 0};
        for (std::size_t i = 0; i < fields.size(); ++i) {
            values[i] = parseCount(fields[i]);
            if (values[i] == -1) return {kErrBadInteger, 0};
            if (values[i] < 0) return {kErrOutOfRange, 0};
        }
        const long long* tail = values;
        if (format == TimeFormat::Tmsf) {
            if (values[0] < 1 || values[0] > toc.trackCount()) return {kErrOutOfRange, 0};
            frame = toc.trackStart(static_cast<int>(values[0]));
            tail = values + 1;
        }
        if (tail[1] > 59 || tail[2] >= cd::kFramesPerSecond) return {kErrOutOfRange, 0};
        frame += (tail[0] * 60 + tail[1]) * cd::kFramesPerSecond + tail[2];
    }
    if (frame < toc.firstFrame() || frame >= toc.leadOut) return {kErrOutOfRange, 0};
    return {0, static_cast<int>(frame)};
}

}  // namespace corvina::mci
