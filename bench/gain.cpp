// Cost of the CD line's gain stage on the playback thread: one CD sector (588 frames) scaled at
// a steady level, while ramping to a new level, and the whole write path of the sound output
// (copy, gain, a sink that discards). Playback asks for 75 sectors a second, so the share of one
// core is the time per sector x 75: 1 us per sector would be 0.0075 %.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "platform/audio/AudioOutput.h"
#include "platform/audio/Gain.h"

namespace {

constexpr int kFrames = 588;

std::vector<std::int16_t> sector() {
    std::vector<std::int16_t> s(2 * kFrames);
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = std::int16_t((i * 7919) % 60000 - 30000);
    return s;
}

void GainSteady(benchmark::State& state) {
    corvina::audio::Gain gain;
    gain.setTarget(30000, 25000);
    auto s = sector();
    gain.apply(s.data(), kFrames);  // past the ramp
    for (auto _ : state) {
        gain.apply(s.data(), kFrames);
        benchmark::DoNotOptimize(s.data());
    }
}
BENCHMARK(GainSteady);

void GainRamping(benchmark::State& state) {
    corvina::audio::Gain gain;
    auto s = sector();
    int level = 0;
    for (auto _ : state) {
        level = level == 0 ? corvina::audio::Gain::kUnity : 0;
        gain.setTarget(level, level);  // every sector starts a new ramp: the worst case
        gain.apply(s.data(), kFrames);
        benchmark::DoNotOptimize(s.data());
    }
}
BENCHMARK(GainRamping);

class Discard : public corvina::audio::AudioSink {
public:
    bool write(const std::int16_t* samples, int, std::string&) override {
        benchmark::DoNotOptimize(samples);
        return true;
    }
};

void OutputWrite(benchmark::State& state) {
    corvina::audio::AudioOutput output(
        "bench", [](std::string&) { return std::make_unique<Discard>(); });
    if (state.range(0)) output.gain().setTarget(30000, 30000);
    const auto s = sector();
    for (auto _ : state) output.write(s.data(), kFrames);
}
BENCHMARK(OutputWrite)->Arg(0)->Arg(1)->ArgName("gain");

}  // namespace

BENCHMARK_MAIN();
