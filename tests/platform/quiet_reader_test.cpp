// The quiet read speed: what a playing drive is asked for, and when its sectors are read, over a
// fake drive whose reads take the time its speed gives them on a scripted clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "platform/audio/AudioOutput.h"
#include "platform/audio/AudioSink.h"
#include "platform/cd/QuietReader.h"

using namespace corvina;
using namespace corvina::cd;
using namespace std::chrono_literals;

namespace {

class TestClock : public Clock {
public:
    std::chrono::nanoseconds now() const override { return now_; }
    std::chrono::nanoseconds now_ = 1s;
};

struct DriveLog {
    std::vector<std::pair<std::chrono::nanoseconds, int>> speeds;  // when, what was asked
    std::vector<std::chrono::nanoseconds> reads;                   // when each read began
};

// A drive of 24x at most. Switches: it refuses the speed command; it reads only at `slowdown`
// of the asked speed (a worn disc, a drive whose slowest speed is slower than asked).
class FakeReader : public SectorReader {
public:
    FakeReader(TestClock& clock, DriveLog& log) : clock_(clock), log_(log) {}
    bool setSpeed(int times) override {
        log_.speeds.emplace_back(clock_.now_, times);
        if (refuse) return false;
        speed_ = times;
        return true;
    }
    bool read(int, std::int16_t* out) override {
        log_.reads.push_back(clock_.now_);
        std::fill(out, out + 2 * kSamplesPerSector, std::int16_t(1));
        const double times = (speed_ == 0 ? 24.0 : speed_) * slowdown;
        clock_.now_ += std::chrono::nanoseconds(static_cast<long long>(1e9 / 75 / times));
        return true;
    }
    bool refuse = false;
    double slowdown = 1.0;

private:
    TestClock& clock_;
    DriveLog& log_;
    int speed_ = 0;
};

class QuietReaderTest : public ::testing::Test {
protected:
    QuietReaderTest()
        : output(
              "null", [](std::string&) { return audio::openNullSink(); }, 0ms) {}

    // A 60-second disc read through a fake drive, played by an engine on the scripted clock.
    void make(bool refuse = false, double slowdown = 1.0) {
        Toc toc;
        toc.tracks.push_back({kLeadInFrames, true});
        toc.leadOut = kLeadInFrames + 60 * 75;
        auto fake = std::make_unique<FakeReader>(clock, log);
        fake->refuse = refuse;
        fake->slowdown = slowdown;
        reader = std::make_shared<QuietReader>(toc, std::move(fake), clock);
        engine = std::make_unique<PlaybackEngine>(reader, output, clock, false);
    }
    // Lets `time` pass in 5 ms steps, the drive's thread settling once a second.
    void run(std::chrono::nanoseconds time) {
        const std::chrono::nanoseconds end = clock.now_ + time;
        while (clock.now_ < end) {
            clock.now_ += 5ms;
            engine->pump();
            if (clock.now_ >= nextSettle) {
                reader->settle(engine->isPlaying());
                nextSettle = clock.now_ + 1s;
            }
        }
    }
    std::vector<int> asked() const {
        std::vector<int> out;
        for (const auto& [when, times] : log.speeds) out.push_back(times);
        return out;
    }
    // Reads that began in [from, to) after the start.
    int readsBetween(std::chrono::nanoseconds from, std::chrono::nanoseconds to) const {
        return static_cast<int>(std::count_if(log.reads.begin(), log.reads.end(), [&](auto t) {
            return t >= start + from && t < start + to;
        }));
    }

    TestClock clock;
    std::chrono::nanoseconds start = clock.now_;
    std::chrono::nanoseconds nextSettle{};
    DriveLog log;
    audio::AudioOutput output;
    std::shared_ptr<QuietReader> reader;
    std::unique_ptr<PlaybackEngine> engine;
};

TEST_F(QuietReaderTest, PlayingAsksForTwoTimesAndReadsASteadyStream) {
    make();
    engine->play(kLeadInFrames, kLeadInFrames + 60 * 75);
    run(12s);
    EXPECT_EQ(asked(), std::vector<int>{2});
    ASSERT_FALSE(log.reads.empty());
    EXPECT_GE(log.speeds.front().first, start);
    EXPECT_LE(log.speeds.front().first, log.reads.front());
    // Once the two-second buffer is full, one sector is read as each is played: every tenth
    // of a second sees its 7 or 8 reads, never a burst and never a pause.
    for (std::chrono::milliseconds t = 4s; t < 12s; t += 100ms) {
        const int n = readsBetween(t, t + 100ms);
        EXPECT_GE(n, 6) << (t / 1ms) << " ms";
        EXPECT_LE(n, 9) << (t / 1ms) << " ms";
    }
    EXPECT_EQ(engine->sectorsWritten(), engine->position() - kLeadInFrames);
}

TEST_F(QuietReaderTest, StoppingGivesTheDriveItsOwnSpeedBackAndPlayingAgainQuietensIt) {
    make();
    engine->play(kLeadInFrames, kLeadInFrames + 60 * 75);
    run(3s);
    engine->stop();
    run(1500ms);
    EXPECT_EQ(asked(), (std::vector<int>{2, 0}));
    EXPECT_EQ(reader->speed(), 0);
    engine->play(engine->position(), kLeadInFrames + 60 * 75);
    run(2s);
    EXPECT_EQ(asked(), (std::vector<int>{2, 0, 2}));
    // The disc is taken out (or the player ends) while it plays.
    engine.reset();
    reader.reset();
    EXPECT_EQ(asked(), (std::vector<int>{2, 0, 2, 0}));
}

TEST_F(QuietReaderTest, ADriveTooSlowAtTwoTimesIsAskedForTheNextSpeedOnly) {
    make(false, 0.5);  // reads at half the asked speed: 1x when asked for 2x
    engine->play(kLeadInFrames, kLeadInFrames + 60 * 75);
    run(15s);
    EXPECT_EQ(asked(), (std::vector<int>{2, 4}));
    // Nothing was skipped for lateness: every sector up to the position was played.
    EXPECT_GE(engine->sectorsWritten(), engine->position() - kLeadInFrames - 2);
}

TEST_F(QuietReaderTest, ADriveRefusingTheSpeedPlaysAsBeforeAndIsNotAskedAgain) {
    make(true);
    engine->play(kLeadInFrames, kLeadInFrames + 60 * 75);
    run(5s);
    engine->stop();
    run(2s);
    engine->play(engine->position(), kLeadInFrames + 60 * 75);
    run(2s);
    EXPECT_EQ(asked(), std::vector<int>{2});
    EXPECT_EQ(reader->speed(), 0);
    EXPECT_EQ(engine->sectorsWritten(), engine->position() - kLeadInFrames);
}

}  // namespace
