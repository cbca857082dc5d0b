// The playback engine and the virtual drive over a scripted clock and a capturing sound output.
#include <gtest/gtest.h>

#include <QDir>

#include "platform/audio/AudioOutput.h"
#include "platform/audio/Deemphasis.h"
#include "platform/cd/DemoDisc.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/VirtualDrive.h"
#include "platform/mci/Mci.h"
#include "tests/support/TestSupport.h"

using namespace corvina;
using namespace corvina::cd;

namespace {

class ManualClock : public Clock {
public:
    // Rounded up so that n frames of time are never a hair short of n frames.
    std::chrono::nanoseconds now() const override {
        return std::chrono::nanoseconds(1'000'000'000 + (frames_ * 1'000'000'000 + 74) / 75);
    }
    void advanceFrames(long long frames) { frames_ += frames; }
    long long frames_ = 0;
};

// A disc whose every sample tells where it came from: left = frame, right = -frame.
class CountingDisc : public DiscSource {
public:
    explicit CountingDisc(std::vector<int> tracks) : toc_(makeToc(tracks)) {}
    static Toc makeToc(const std::vector<int>& tracks) {
        Toc toc;
        int frame = kLeadInFrames;
        for (int length : tracks) {
            toc.tracks.push_back({frame, true});
            frame += length;
        }
        toc.leadOut = frame;
        return toc;
    }
    const Toc& toc() const override { return toc_; }
    bool readSector(int frame, std::int16_t* out) override {
        for (int i = 0; i < kSamplesPerSector; ++i) {
            out[2 * i] = static_cast<std::int16_t>(frame);
            out[2 * i + 1] = static_cast<std::int16_t>(-frame);
        }
        return frame != unreadable;
    }
    Toc toc_;
    int unreadable = -1;
};

struct Capture {
    std::vector<std::int16_t> samples;
    bool failing = false;
    int opens = 0;
    int lead = 0;  // as a hardware device asks for
    int drops = 0;
};

class CaptureSink : public audio::AudioSink {
public:
    explicit CaptureSink(Capture& capture) : capture_(capture) {}
    bool write(const std::int16_t* s, int frames, std::string& error) override {
        if (capture_.failing) {
            error = "unplugged";
            return false;
        }
        capture_.samples.insert(capture_.samples.end(), s, s + 2 * frames);
        return true;
    }
    void drop() override { ++capture_.drops; }
    int leadSectors() const override { return capture_.lead; }

private:
    Capture& capture_;
};

class EngineTest : public ::testing::Test {
protected:
    EngineTest()
        : output(
              "capture",
              [this](std::string& error) -> std::unique_ptr<audio::AudioSink> {
                  ++capture.opens;
                  if (capture.failing) {
                      error = "no such device";
                      return nullptr;
                  }
                  return std::make_unique<CaptureSink>(capture);
              },
              std::chrono::milliseconds(0)),
          disc(std::make_shared<CountingDisc>(std::vector<int>{300, 300, 300})),
          engine(disc, output, clock, false) {}

    void run(long long frames) {
        // In steps, as the playback thread would see the clock move.
        for (long long i = 0; i < frames; ++i) {
            clock.advanceFrames(1);
            engine.pump();
        }
    }
    // The frame each written sector came from, read back from the left channel.
    std::vector<int> writtenFrames() const {
        std::vector<int> frames;
        for (std::size_t i = 0; i < capture.samples.size(); i += 2 * kSamplesPerSector)
            frames.push_back(capture.samples[i]);
        return frames;
    }

    Capture capture;
    audio::AudioOutput output;
    ManualClock clock;
    std::shared_ptr<CountingDisc> disc;
    PlaybackEngine engine;
};

TEST_F(EngineTest, WritesExactlyWhatThePositionPassesAndStopsAtTheEnd) {
    engine.play(440, 460);
    run(5);
    EXPECT_EQ(engine.position(), 445);
    EXPECT_EQ(writtenFrames(), (std::vector<int>{440, 441, 442, 443, 444}));
    engine.stop();
    run(10);
    EXPECT_EQ(engine.position(), 445);
    engine.play(engine.position(), 460);  // resumes across the track boundary at 450
    run(30);
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(engine.position(), 460);
    std::vector<int> expected;
    for (int f = 440; f < 460; ++f) expected.push_back(f);
    EXPECT_EQ(writtenFrames(), expected);
}

TEST_F(EngineTest, HardwareOutputIsFedAheadAndSilencedAtOnceOnStop) {
    capture.lead = 15;
    engine.play(150, 1050);
    run(1);
    EXPECT_EQ(writtenFrames().size(), 16u);  // frames 150..165 for a clock at 151
    EXPECT_EQ(engine.position(), 151);
    const int drops = capture.drops;
    engine.stop();
    engine.pump();
    EXPECT_EQ(capture.drops, drops + 1);
    EXPECT_EQ(engine.position(), 151);
}

TEST_F(EngineTest, ChannelSwitchesSilenceThePcm) {
    engine.setChannels(false, true);
    engine.play(150, 1050);
    run(3);
    engine.setChannels(false, false);
    run(3);
    engine.setChannels(true, true);
    run(3);
    ASSERT_EQ(capture.samples.size(), 9u * 2 * kSamplesPerSector);
    auto at = [&](int sector, int channel) {
        return capture
            .samples[static_cast<std::size_t>(sector * 2 * kSamplesPerSector + 7 * 2 + channel)];
    };
    EXPECT_EQ(at(0, 0), 0);
    EXPECT_EQ(at(0, 1), -150);
    EXPECT_EQ(at(4, 0), 0);
    EXPECT_EQ(at(4, 1), 0);
    EXPECT_EQ(at(7, 0), 157);
    EXPECT_EQ(at(7, 1), -157);
}

TEST_F(EngineTest, ClockRunsOnWhileTheDeviceFailsAndSoundComesBack) {
    capture.failing = true;
    test::ErrorCapture errors;  // nothing reaches the user's error report
    engine.play(150, 1050);
    run(75);
    EXPECT_EQ(engine.position(), 225);
    EXPECT_TRUE(capture.samples.empty());
    const int opens = capture.opens;
    capture.failing = false;
    run(10);
    EXPECT_EQ(capture.opens, opens + 1);
    EXPECT_EQ(engine.position(), 235);
    EXPECT_FALSE(capture.samples.empty());
    EXPECT_EQ(writtenFrames().back(), 234);
    EXPECT_TRUE(errors.messages().isEmpty());
}

TEST_F(EngineTest, UnreadableSectorPlaysAsSilenceAndLateSoundIsSkipped) {
    disc->unreadable = 152;
    engine.play(150, 1050);
    run(4);
    EXPECT_EQ(writtenFrames(), (std::vector<int>{150, 151, 0, 153}));

    // Two seconds pass without the thread getting a look in: it goes on from the clock.
    clock.advanceFrames(150);
    engine.pump();
    run(1);
    EXPECT_EQ(engine.position(), 305);
    EXPECT_EQ(writtenFrames().back(), 304);
    EXPECT_LT(writtenFrames().size(), 20u);
}

// The thread sleeps between batches of sectors; a stop between two batches still leaves the
// clock-paced output holding exactly the frames the position passed.
TEST_F(EngineTest, ThreadedPacedOutputHoldsExactlyWhatWasPlayed) {
    PlaybackEngine threaded(disc, output);
    for (int round = 0; round < 3; ++round) {
        capture.samples.clear();
        const long long before = threaded.sectorsWritten();
        threaded.play(150, 1050);
        std::this_thread::sleep_for(std::chrono::milliseconds(150 + 7 * round));
        threaded.stop();
        const int played = threaded.position() - 150;
        for (int i = 0; i < 200 && threaded.sectorsWritten() - before < played; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        std::vector<int> expected;
        for (int f = 150; f < 150 + played; ++f) expected.push_back(f);
        ASSERT_EQ(threaded.sectorsWritten() - before, played);
        EXPECT_EQ(writtenFrames(), expected);
    }
}

// A pre-emphasised track goes out through the de-emphasis filter, continuously across its
// sectors; the tracks around it go out sample for sample as read.
TEST_F(EngineTest, OnlyAPreEmphasisedTrackIsDeEmphasised) {
    disc->toc_.tracks[1].preemphasis = true;  // frames 450..749
    engine.play(440, 760);
    run(330);
    ASSERT_EQ(capture.samples.size(), 320u * 2 * kSamplesPerSector);
    std::vector<std::int16_t> expected;
    std::vector<std::int16_t> sector(2 * kSamplesPerSector);
    audio::Deemphasis filter;
    for (int frame = 440; frame < 760; ++frame) {
        disc->readSector(frame, sector.data());
        if (frame >= 450 && frame < 750) filter.process(sector.data(), kSamplesPerSector);
        expected.insert(expected.end(), sector.begin(), sector.end());
    }
    EXPECT_EQ(capture.samples, expected);
    // The filter did change the pre-emphasised track: a step from silence rings down.
    EXPECT_NE(capture.samples[10 * 2 * kSamplesPerSector + 2], 450);
}

TEST_F(EngineTest, VirtualDriveTrayHidesAndRestoresTheDisc) {
    VirtualDrive drive("test", disc, std::make_unique<PlaybackEngine>(disc, output, clock, false));
    ASSERT_TRUE(drive.play(450, 750));
    drive.setDoorOpen(true);
    EXPECT_FALSE(drive.toc());
    EXPECT_FALSE(drive.isPlaying());
    EXPECT_FALSE(drive.play(450, 750));
    EXPECT_FALSE(drive.seek(450));
    drive.setDoorOpen(false);
    ASSERT_TRUE(drive.toc());
    EXPECT_EQ(drive.toc()->trackCount(), 3);
    EXPECT_EQ(drive.position(), 150);

    VirtualDrive empty("empty", nullptr);
    EXPECT_FALSE(empty.toc());
    EXPECT_FALSE(empty.play(150, 200));
}

TEST(DemoDisc, FourPiecesOfAudibleMusicThatRepeatExactly) {
    auto demo = makeDemoDisc();
    const Toc& toc = demo->toc();
    ASSERT_GE(toc.trackCount(), 4);
    EXPECT_EQ(toc.firstFrame(), kLeadInFrames);
    std::vector<std::int16_t> a(2 * kSamplesPerSector), b(a.size());
    for (int t = 1; t <= toc.trackCount(); ++t) {
        EXPECT_GE(toc.trackLength(t), 20 * 75);
        EXPECT_LE(toc.trackLength(t), 60 * 75);
        // Ten seconds in, something is playing, and reading it again gives the same sound.
        const int frame = toc.trackStart(t) + 10 * 75;
        ASSERT_TRUE(demo->readSector(frame, a.data()));
        int peak = 0;
        for (std::int16_t s : a) peak = std::max(peak, std::abs(int(s)));
        EXPECT_GT(peak, 1000) << "track " << t;
        demo->readSector(toc.trackStart(1), b.data());
        demo->readSector(frame, b.data());
        EXPECT_EQ(a, b);
    }
}

}  // namespace
