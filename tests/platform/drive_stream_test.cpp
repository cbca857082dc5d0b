// A drive that reads in real time, on a scripted clock: the model of a drive (spin-up, seeks,
// the speed it is asked for, sectors it retries for seconds) read by the real-drive stream and
// played by the playback engine. Every read the model makes lets its cost pass on the clock, and
// the engine writes what is due at each 5 ms of it, as its thread would.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "platform/audio/AudioOutput.h"
#include "platform/audio/AudioSink.h"
#include "platform/cd/DriveModel.h"
#include "platform/cd/DriveStream.h"

using namespace corvina;
using namespace corvina::cd;
using namespace std::chrono_literals;
using std::chrono::nanoseconds;

namespace {

constexpr nanoseconds kStep = 5ms;

// Time moves only in steps; at each step the rest of the player gets a look in.
class SimClock : public Clock {
public:
    nanoseconds now() const override { return now_; }
    void sleepFor(nanoseconds time) const override {
        const nanoseconds end = now_ + time;
        while (now_ < end) {
            now_ = std::min(end, now_ + kStep);
            if (tick) tick();
        }
    }
    mutable nanoseconds now_ = 10s;
    std::function<void()> tick;
};

// Three tracks of a minute; every sample tells the frame it came from (left frame, right -frame).
class CountingDisc : public DiscSource {
public:
    CountingDisc() {
        for (int n = 0; n < 3; ++n) toc_.tracks.push_back({kLeadInFrames + n * 60 * 75, true});
        toc_.leadOut = kLeadInFrames + 3 * 60 * 75;
    }
    const Toc& toc() const override { return toc_; }
    bool readSector(int frame, std::int16_t* out) override {
        for (int i = 0; i < kSamplesPerSector; ++i) {
            out[2 * i] = static_cast<std::int16_t>(frame);
            out[2 * i + 1] = static_cast<std::int16_t>(-frame);
        }
        return true;
    }
    Toc toc_;
};

// What was heard: the frame of each sector (0 for silence) and when it went out.
struct Heard {
    std::vector<std::pair<nanoseconds, int>> sectors;
};

class HeardSink : public audio::AudioSink {
public:
    HeardSink(Heard& heard, const SimClock& clock) : heard_(heard), clock_(clock) {}
    bool write(const std::int16_t* s, int frames, std::string&) override {
        for (int i = 0; i + kSamplesPerSector <= frames; i += kSamplesPerSector)
            heard_.sectors.emplace_back(clock_.now(), s[2 * i]);
        return true;
    }
    void drop() override {}
    int leadSectors() const override { return 0; }

private:
    Heard& heard_;
    const SimClock& clock_;
};

class DriveStreamTest : public ::testing::Test {
protected:
    DriveStreamTest()
        : output(
              "heard", [this](std::string&) { return std::make_unique<HeardSink>(heard, clock); },
              0ms) {}

    void make(DriveModelSetup setup) {
        model = std::make_unique<DriveModel>("/dev/model", std::make_shared<CountingDisc>(),
                                             std::move(setup), clock);
        OpenError error = OpenError::None;
        std::string detail;
        RawToc raw;
        auto handle = model->open(error, detail);
        ASSERT_TRUE(handle);
        stream = std::make_shared<DriveStream>(CountingDisc().toc(), std::move(handle), clock,
                                               false);
        stream->onUnreadable([this] { ++toldUnreadable; });
        engine = std::make_unique<PlaybackEngine>(stream, output, clock, false);
        clock.tick = [this] {
            engine->pump();
            if (clock.now_ >= nextSettle) {
                stream->settle(engine->isPlaying());
                nextSettle = clock.now_ + 1s;
            }
            while (!events.empty() && events.begin()->first <= clock.now_) {
                const auto action = events.begin()->second;
                events.erase(events.begin());
                action();
            }
        };
    }
    ~DriveStreamTest() override {
        clock.tick = nullptr;
        engine.reset();
        stream.reset();
    }

    // Lets `time` pass: the stream reads whenever it has something to read.
    void run(nanoseconds time) {
        const nanoseconds end = clock.now_ + time;
        while (clock.now_ < end) {
            if (!stream->step()) clock.sleepFor(kStep);
        }
    }
    void at(nanoseconds when, std::function<void()> action) { events.emplace(when, action); }

    // When the first sector from `frame` on went out, measured from `since`.
    nanoseconds soundAfter(nanoseconds since, int frame) const {
        for (const auto& [when, heardFrame] : heard.sectors)
            if (when >= since && heardFrame == frame) return when - since;
        return 1h;
    }
    // The frames heard from `since` on, in order.
    std::vector<int> heardSince(nanoseconds since) const {
        std::vector<int> frames;
        for (const auto& [when, frame] : heard.sectors)
            if (when >= since) frames.push_back(frame);
        return frames;
    }

    SimClock clock;
    Heard heard;
    audio::AudioOutput output;
    std::unique_ptr<DriveModel> model;
    std::shared_ptr<DriveStream> stream;
    std::unique_ptr<PlaybackEngine> engine;
    std::multimap<nanoseconds, std::function<void()>> events;
    nanoseconds nextSettle{};
    int toldUnreadable = 0;
};

// Each frame once, in order, with no silence: `frames` holds first..first+n-1.
::testing::AssertionResult continuous(const std::vector<int>& frames, int first) {
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (frames[i] != first + static_cast<int>(i))
            return ::testing::AssertionFailure()
                   << "sector " << i << " is frame " << frames[i] << ", not " << first + int(i);
    }
    return ::testing::AssertionSuccess();
}

TEST_F(DriveStreamTest, AQuietDriveSpinningUpSoundsWithinTwoSecondsAndThenWithoutAGap) {
    DriveModelSetup setup;
    setup.spinUp = 1500ms;
    make(setup);
    const nanoseconds play = clock.now_;
    engine->play(150, 150 + 180 * 75);
    run(20s);
    EXPECT_LE(soundAfter(play, 150), 2s);
    // From the first sound on, every frame in turn and on time: 20 s less the wait.
    const std::vector<int> frames = heardSince(play);
    EXPECT_TRUE(continuous(frames, 150));
    EXPECT_GE(frames.size(), std::size_t(18 * 75));
    // The position waited for the drive: it is what was heard.
    EXPECT_EQ(engine->position(), 150 + static_cast<int>(frames.size()));
    // Quiet: the drive was asked for 2x and nothing faster.
    EXPECT_EQ(model->speedsAsked(), (std::vector<int>{2}));
    EXPECT_EQ(stream->speed(), 2);
}

TEST_F(DriveStreamTest, NextPreviousStepsAndSeeksSoundWithinTwoSeconds) {
    make({});
    engine->play(150, 150 + 180 * 75);
    run(12s);
    struct Move {
        const char* what;
        int from;
    };
    // The next track, back to the previous one, ten seconds on, ten seconds back, and a seek
    // (stop, move, play) far into the disc.
    for (const Move& move : {Move{"next", 150 + 60 * 75}, Move{"previous", 150},
                             Move{"10 s on", 150 + 22 * 75}, Move{"10 s back", 150 + 12 * 75},
                             Move{"seek", 150 + 150 * 75}}) {
        SCOPED_TRACE(move.what);
        const nanoseconds when = clock.now_;
        if (std::string(move.what) == "seek") {
            engine->stop();
            engine->seek(move.from);
            engine->play(move.from, 150 + 180 * 75);
        } else {
            engine->play(move.from, 150 + 180 * 75);
        }
        run(6s);
        EXPECT_LE(soundAfter(when, move.from), 2s);
        std::vector<int> frames = heardSince(when);
        frames.erase(frames.begin(),
                     std::find(frames.begin(), frames.end(), move.from));
        EXPECT_TRUE(continuous(frames, move.from));
        EXPECT_GE(frames.size(), std::size_t(4 * 75));
    }
}

TEST_F(DriveStreamTest, ADriveTooSlowAtTheQuietSpeedIsAskedForMoreWithinSeconds) {
    DriveModelSetup setup;
    setup.ownSpeed = 24;
    make(setup);
    // A worn disc: the drive reads at a third of what it is asked for.
    model->setReadEfficiency(1.0 / 3);
    engine->play(150, 150 + 180 * 75);
    run(10s);
    const std::vector<int> asked = model->speedsAsked();
    ASSERT_GE(asked.size(), 2u);
    EXPECT_EQ(asked[0], 2);
    EXPECT_EQ(asked[1], 4);  // 4x is enough (1.33x): no further
    EXPECT_EQ(stream->speed(), 4);
    // Once it stops playing, the drive gets its own speed back; the next play is quiet again.
    engine->stop();
    run(2s);
    EXPECT_EQ(stream->speed(), 0);
    engine->play(engine->position(), 150 + 180 * 75);
    run(1s);
    EXPECT_EQ(model->speedsAsked().back(), 2);
}

TEST_F(DriveStreamTest, ADriveRefusingTheSpeedCommandIsAskedOnceAndPlaysAtItsOwnSpeed) {
    DriveModelSetup setup;
    setup.refusesSpeed = true;
    make(setup);
    const nanoseconds play = clock.now_;
    engine->play(150, 150 + 180 * 75);
    run(10s);
    engine->stop();
    run(2s);
    EXPECT_EQ(model->speedsAsked(), (std::vector<int>{2}));
    EXPECT_LE(soundAfter(play, 150), 2s);
    EXPECT_TRUE(continuous(heardSince(play), 150));
}

// A scratch, once the read-ahead has had time to fill: the sectors the drive cannot read play
// as silence, about as long as they are, and the sound after them is on time.
TEST_F(DriveStreamTest, ARunOfUnreadableSectorsCostsItsOwnLengthOfSilencePlusLessThanASecond) {
    struct Scratch {
        int at;  // seconds into the disc
        int length;
        std::chrono::milliseconds cost;
    };
    // Late, with the read-ahead full; and early, with only a few seconds read ahead.
    for (const Scratch& scratch : {Scratch{50, 5, 8000ms}, Scratch{50, 75, 6000ms},
                                   Scratch{50, 150, 2000ms}, Scratch{12, 75, 3000ms}}) {
        SCOPED_TRACE(testing::Message() << scratch.length << " sectors at " << scratch.at << " s");
        heard = {};
        const int first = 150 + scratch.at * 75;
        DriveModelSetup setup;
        setup.failing = {{first, first + scratch.length}};
        setup.failCost = scratch.cost;
        make(setup);
        const nanoseconds play = clock.now_;
        engine->play(150, 150 + 180 * 75);
        run(70s);
        const std::vector<int> frames = heardSince(play);
        // Frames in order up to the scratch, silence, then frames in order again.
        const auto silence = std::find(frames.begin(), frames.end(), 0);
        ASSERT_NE(silence, frames.end());
        EXPECT_TRUE(continuous({frames.begin(), silence}, 150));
        const auto after = std::find_if(silence, frames.end(), [](int f) { return f != 0; });
        ASSERT_NE(after, frames.end()) << "playback did not go on after the scratch";
        const int silent = static_cast<int>(after - silence);
        EXPECT_GE(silent, scratch.length);
        EXPECT_LE(silent, scratch.length + 75);
        EXPECT_TRUE(continuous({after, frames.end()}, *after));
        // Nothing was lost to the wait: sound and silence together are the time that passed.
        EXPECT_EQ(*after - 150, static_cast<int>(after - frames.begin()));
        EXPECT_LE(*silence + silent, first + scratch.length + 75);
        EXPECT_EQ(toldUnreadable, 0);
    }
}

TEST_F(DriveStreamTest, ADiscThatCannotBeReadPlaysSilenceAndSaysSoOnce) {
    DriveModelSetup setup;
    setup.failing = {{0, 150 + 180 * 75}};
    setup.failCost = 2000ms;
    make(setup);
    const nanoseconds play = clock.now_;
    engine->play(150, 150 + 180 * 75);
    run(30s);
    const std::vector<int> frames = heardSince(play);
    // Silence on the clock: nearly 30 s of it, none of it sound, and the position runs.
    EXPECT_GE(frames.size(), std::size_t(27 * 75));
    EXPECT_EQ(std::count(frames.begin(), frames.end(), 0), static_cast<long>(frames.size()));
    EXPECT_GE(engine->position(), 150 + 27 * 75);
    EXPECT_EQ(toldUnreadable, 1);
}

}  // namespace
