// What a status query costs, and how far the position drifts from the audio written over ten
// minutes of play.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/audio/AudioOutput.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/FakeDrive.h"
#include "platform/cd/PlaybackEngine.h"
#include "platform/cd/VirtualDrive.h"
#include "platform/mci/Mci.h"

using namespace corvina;

namespace {

void installDrive(std::unique_ptr<cd::Drive> drive) {
    mci::resetForTesting();
    std::vector<std::unique_ptr<cd::Drive>> drives;
    drives.push_back(std::move(drive));
    cd::DriveSet::install(std::move(drives));
    mci::sendString("open cdaudio alias CorvinaCD wait shareable");
    mci::sendString("set CorvinaCD time format tmsf wait");
}

// The five queries of one display tick, against a scripted drive and against the demo disc
// playing on its own thread.
void tick(benchmark::State& state) {
    char a[13];
    char b[13];
    for (auto _ : state) {
        mci::sendString("status CorvinaCD media present", a, sizeof a);
        mci::sendString("status CorvinaCD number of tracks", a, sizeof a);
        mci::sendString("status CorvinaCD length wait", a, sizeof a);
        mci::sendString("status CorvinaCD position", b, sizeof b);
        mci::sendString("status CorvinaCD length track 03", b, sizeof b);
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
    }
}

void BM_TickQueriesFakeDrive(benchmark::State& state) {
    installDrive(std::make_unique<cd::FakeDrive>(std::vector<int>(12, 4 * 60 * 75)));
    tick(state);
}
BENCHMARK(BM_TickQueriesFakeDrive);

void BM_TickQueriesPlayingDemoDisc(benchmark::State& state) {
    installDrive(cd::VirtualDrive::withDemoDisc());
    mci::sendString("play CorvinaCD");
    tick(state);
    mci::sendString("close CorvinaCD");
}
BENCHMARK(BM_TickQueriesPlayingDemoDisc);

class SteppedClock : public cd::Clock {
public:
    std::chrono::nanoseconds now() const override { return now_; }
    std::chrono::nanoseconds now_{0};
};

class CountingSink : public audio::AudioSink {
public:
    explicit CountingSink(long long& frames) : frames_(frames) {}
    bool write(const std::int16_t*, int frames, std::string&) override {
        frames_ += frames;
        return true;
    }

private:
    long long& frames_;
};

// Ten minutes of play with the playback thread getting a look in at uneven moments (1 to 40 ms
// apart). Reports the largest gap seen between the position and the audio written, and the gap
// at the end, in CD frames (1/75 s).
void BM_PositionDriftTenMinutes(benchmark::State& state) {
    double worst = 0;
    double last = 0;
    for (auto _ : state) {
        long long samples = 0;
        audio::AudioOutput output(
            "count", [&](std::string&) { return std::make_unique<CountingSink>(samples); });
        SteppedClock clock;
        const cd::Toc toc = cd::FakeDrive::makeToc({20 * 60 * 75});
        struct Silence : cd::DiscSource {
            explicit Silence(cd::Toc t) : toc_(std::move(t)) {}
            const cd::Toc& toc() const override { return toc_; }
            bool readSector(int, std::int16_t*) override { return true; }
            cd::Toc toc_;
        };
        cd::PlaybackEngine engine(std::make_shared<Silence>(toc), output, clock, false);
        engine.play(toc.firstFrame(), toc.leadOut);
        const auto end = std::chrono::minutes(10);
        unsigned step = 12345;
        while (clock.now_ < end) {
            step = step * 1103515245u + 12345u;
            clock.now_ += std::chrono::microseconds(1000 + step % 39000);
            engine.pump();
            const double heard = double(samples) / cd::kSamplesPerSector;
            const double played = engine.position() - toc.firstFrame();
            worst = std::max(worst, std::abs(played - heard));
            last = played - heard;
        }
    }
    state.counters["worst_gap_frames"] = worst;
    state.counters["final_gap_frames"] = last;
}
BENCHMARK(BM_PositionDriftTenMinutes)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    setenv("CORVINA_AUDIO", "null", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
