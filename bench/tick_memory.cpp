// A million CD timer ticks in a row (about eleven days of play, on a scripted drive whose clock
// the benchmark moves): the resident memory is sampled as they run, and must stay flat. Reported
// as counters, not judged: rss_first_kb after the first 10 000 ticks, rss_last_kb after the
// last, growth_kb between the two. Every 180 ticks the next track is chosen (wrapping round the
// disc); every 1000 the event loop runs, so that posted events and repaints are not kept back.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/Main.h"
#include "bench/support/PlayerBench.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/FakeDrive.h"

namespace {

long residentKb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void BM_MillionTicks(benchmark::State& state) {
    auto drive = std::make_unique<corvina::cd::FakeDrive>(std::vector<int>(12, 4 * 60 * 75));
    corvina::cd::FakeDrive* fake = drive.get();
    std::vector<std::unique_ptr<corvina::cd::Drive>> drives;
    drives.push_back(std::move(drive));
    corvina::cd::DriveSet::install(std::move(drives));
    corvina::bench::seedSettings();
    TFormMain form;
    form.show();
    if (!form.Playing) state.SkipWithError("the disc is not playing");
    const long ticks = state.range(0);
    long first = 0, peak = 0;
    for (auto _ : state) {
        for (long i = 1; i <= ticks; ++i) {
            fake->advance(75);
            form.TimerCDTimer(form.TimerCD);
            if (i % 180 == 0) form.CDNext(nullptr);
            if (i % 1000 == 0) QCoreApplication::processEvents();
            if (i == 10000) first = residentKb();
            if (i % 10000 == 0) peak = std::max(peak, residentKb());
        }
    }
    const long last = residentKb();
    state.counters["rss_first_kb"] = double(first);
    state.counters["rss_last_kb"] = double(last);
    state.counters["rss_peak_kb"] = double(peak);
    state.counters["growth_kb"] = double(last - first);
}
BENCHMARK(BM_MillionTicks)->Arg(20000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    return corvina::bench::runPlayerBenchmarks(argc, argv);
}
