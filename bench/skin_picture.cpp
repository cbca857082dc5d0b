// Loading a picture from the skin: each call makes a QImage over the compiled-in rows.
// Controls load their pictures once when they are created; this shows what that costs.
#include <benchmark/benchmark.h>

#include "resources/Skin.h"

static void LoadBackground(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(skin::picture("ImageBack"));
}
BENCHMARK(LoadBackground);

static void LoadButton(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(skin::picture("CorvinaPlay"));
}
BENCHMARK(LoadButton);

static void LoadSplash(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(skin::picture("Splash"));
}
BENCHMARK(LoadSplash);

BENCHMARK_MAIN();
