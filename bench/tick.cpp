// One CD timer tick of the main window with a disc playing: five status queries to the command
// layer, the disc serial, three reads of the title database and the display updates.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/Main.h"
#include "bench/support/PlayerBench.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/FakeDrive.h"

namespace {

void BM_TickWhilePlaying(benchmark::State& state) {
    auto drive = std::make_unique<corvina::cd::FakeDrive>(std::vector<int>(12, 4 * 60 * 75));
    corvina::cd::FakeDrive* fake = drive.get();
    std::vector<std::unique_ptr<corvina::cd::Drive>> drives;
    drives.push_back(std::move(drive));
    corvina::cd::DriveSet::install(std::move(drives));
    corvina::bench::seedSettings();

    TFormMain form;
    if (!form.Playing) state.SkipWithError("the disc is not playing");
    for (auto _ : state) {
        fake->advance(75);
        form.TimerCDTimer(form.TimerCD);
    }
}
BENCHMARK(BM_TickWhilePlaying)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return corvina::bench::runPlayerBenchmarks(argc, argv);
}
