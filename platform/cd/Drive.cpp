#include "platform/cd/Drive.h"

#include <algorithm>

namespace corvina::cd {

int Toc::trackEnd(int n) const {
    const int end = n < trackCount() ? trackStart(n + 1) : leadOut;
    if (firstSessionEnd > trackStart(n) && firstSessionEnd < end) return firstSessionEnd;
    return end;
}

int Toc::playableFrom(int frame) const {
    for (int n = std::max(trackAt(frame), 1); n <= trackCount(); ++n) {
        if (!tracks[static_cast<std::size_t>(n - 1)].audio) continue;
        const int from = std::max(frame, trackStart(n));
        if (from < trackEnd(n)) return from;
    }
    return -1;
}

int Toc::audioRunEnd(int frame) const {
    // Nothing runs on from a data track or from between an enhanced CD's sessions.
    if (tracks.empty() || frame < firstFrame() || frame >= leadOut) return frame;
    if (!tracks[static_cast<std::size_t>(trackAt(frame) - 1)].audio) return frame;
    if (firstSessionEnd > 0 && frame >= firstSessionEnd) return frame;
    int end = leadOut;
    if (firstSessionEnd > frame) end = std::min(end, firstSessionEnd);
    for (const TocTrack& track : tracks)
        if (!track.audio && track.start > frame) end = std::min(end, track.start);
    return end;
}

bool Toc::trimToAudio(int& from, int& to) const {
    const int start = playableFrom(from);
    if (start < 0) return false;
    const int end = std::min(to, audioRunEnd(start));
    if (start >= end) return false;
    from = start;
    to = end;
    return true;
}

int Toc::trackAt(int frame) const {
    if (tracks.empty()) return 0;
    int n = 1;
    while (n < trackCount() && trackStart(n + 1) <= frame) ++n;
    return n;
}

std::uint32_t discSerial(const Toc& toc) {
    std::uint32_t sum = 0;
    for (const TocTrack& track : toc.tracks) {
        const auto start = static_cast<std::uint32_t>(track.start < 0 ? 0 : track.start);
        const std::uint32_t minutes = start / (60 * kFramesPerSecond);
        const std::uint32_t seconds = start / kFramesPerSecond % 60;
        const std::uint32_t frames = start % kFramesPerSecond;
        sum += (minutes << 16) | (seconds << 8) | frames;
    }
    // Short discs have few starts to tell them apart, so their playing time counts too. A TOC
    // without tracks has no track 1 to measure from.
    if (!toc.tracks.empty() && toc.tracks.size() < 3)
        sum += static_cast<std::uint32_t>(toc.leadOut - toc.tracks.front().start);
    return sum;
}

}  // namespace corvina::cd
