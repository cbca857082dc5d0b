// Cost of de-emphasis on the playback thread: one CD sector (588 stereo frames) of sound, and of
// silence after sound (where a floating-point filter could slow down on subnormal numbers).
// Playback asks for 75 sectors a second, so the share of one core is the time per sector x 75.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "platform/audio/Deemphasis.h"

namespace {

constexpr int kFrames = 588;

void DeemphasisSector(benchmark::State& state) {
    corvina::audio::Deemphasis filter;
    std::vector<std::int16_t> music(2 * kFrames);
    for (std::size_t i = 0; i < music.size(); ++i)
        music[i] = std::int16_t(12000 * std::sin(0.05 * double(i)) + (i * 7919) % 8000 - 4000);
    std::vector<std::int16_t> s(music.size());
    for (auto _ : state) {
        s = music;  // filtered in place: every sector starts from the same sound
        filter.process(s.data(), kFrames);
        benchmark::DoNotOptimize(s.data());
    }
}
BENCHMARK(DeemphasisSector);

void DeemphasisSilenceAfterSound(benchmark::State& state) {
    corvina::audio::Deemphasis filter;
    std::vector<std::int16_t> s(2 * kFrames, 32767);
    filter.process(s.data(), kFrames);
    std::vector<std::int16_t> silence(2 * kFrames, 0);
    for (auto _ : state) {
        s = silence;
        filter.process(s.data(), kFrames);
        benchmark::DoNotOptimize(s.data());
    }
}
BENCHMARK(DeemphasisSilenceAfterSound);

}  // namespace

BENCHMARK_MAIN();
