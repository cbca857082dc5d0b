#include "platform/cd/Drive.h"

namespace corvina::cd {

int Toc::trackEnd(int n) const {
    const int end = n < trackCount() ? trackStart(n + 1) : leadOut;
    if (firstSessionEnd > trackStart(n) && firstSessionEnd < end) return firstSessionEnd;
    return end;
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
