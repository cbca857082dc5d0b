// What the real-drive support costs while nothing changes and while a disc plays: the look at
// the machine's CD devices the player makes every two seconds, and one second of playing from a
// drive's read-ahead (the stream's fetches, the engine's writes) without the drive's own time.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/support/PlayerBench.h"
#include "platform/audio/AudioOutput.h"
#include "platform/audio/AudioSink.h"
#include "platform/cd/DriveModel.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/DriveStream.h"
#include "platform/cd/Probe.h"
#include "platform/cd/VirtualDrive.h"

namespace {

using namespace corvina;
using namespace std::chrono_literals;

void BM_LookForDrives(benchmark::State& state) {
    std::vector<std::unique_ptr<cd::Drive>> drives;
    drives.push_back(cd::VirtualDrive::withDemoDisc());
    cd::DriveSet::install(std::move(drives));
    const cd::ProbeParts parts = cd::realParts();
    for (auto _ : state) benchmark::DoNotOptimize(cd::DriveSet::instance().refresh(parts).any());
    cd::DriveSet::install({});
}
BENCHMARK(BM_LookForDrives)->Unit(benchmark::kMicrosecond);

class Tone : public cd::DiscSource {
public:
    Tone() {
        toc_.tracks.push_back({150, true});
        toc_.leadOut = 150 + 600 * 75;
    }
    const cd::Toc& toc() const override { return toc_; }
    bool readSector(int frame, std::int16_t* out) override {
        std::fill(out, out + 2 * cd::kSamplesPerSector, static_cast<std::int16_t>(frame));
        return true;
    }
    cd::Toc toc_;
};

// A clock that moves only when told: the drive answers at once on it.
class StepClock : public cd::Clock {
public:
    std::chrono::nanoseconds now() const override { return now_; }
    void sleepFor(std::chrono::nanoseconds) const override {}
    std::chrono::nanoseconds now_ = 1s;
};

void BM_OneSecondFromTheReadAhead(benchmark::State& state) {
    StepClock clock;
    cd::DriveModelSetup setup;
    setup.spinUp = 0ms;
    setup.seekNear = setup.seekFar = 0ms;
    cd::DriveModel model("/dev/bench", std::make_shared<Tone>(), setup, clock);
    cd::OpenError error = cd::OpenError::None;
    std::string detail;
    auto stream = std::make_shared<cd::DriveStream>(Tone().toc(), model.open(error, detail), clock,
                                                    false);
    audio::AudioOutput output("null", [](std::string&) { return audio::openNullSink(); }, 0ms);
    cd::PlaybackEngine engine(stream, output, clock, false);
    engine.play(150, 150 + 600 * 75);
    for (auto _ : state) {
        for (int step = 0; step < 75; ++step) {
            while (stream->step()) {
            }
            clock.now_ += std::chrono::nanoseconds(1'000'000'000 / 75);
            engine.pump();
        }
        if (engine.position() > 150 + 590 * 75) engine.play(150, 150 + 600 * 75);
    }
}
BENCHMARK(BM_OneSecondFromTheReadAhead)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return corvina::bench::runPlayerBenchmarks(argc, argv);
}
