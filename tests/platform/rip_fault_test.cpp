// A rip whose files go away or shrink while it plays, and a sound device that fails mid-play:
// the player plays silence where sound is missing, its clock runs on, and the next disc plays.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include "platform/audio/AudioOutput.h"
#include "platform/cd/DiscImage.h"
#include "platform/cd/PlaybackEngine.h"
#include "tests/support/TestSupport.h"

using namespace corvina;
using namespace corvina::cd;

namespace {

class ManualClock : public Clock {
public:
    std::chrono::nanoseconds now() const override {
        return std::chrono::nanoseconds(1'000'000'000 + (frames_ * 1'000'000'000 + 74) / 75);
    }
    long long frames_ = 0;
};

class RipFaults : public ::testing::Test {
protected:
    RipFaults()
        : output(
              "capture",
              [this](std::string& error) -> std::unique_ptr<audio::AudioSink> {
                  if (failing) {
                      error = "device gone";
                      return nullptr;
                  }
                  return std::make_unique<Sink>(*this);
              },
              std::chrono::milliseconds(0)) {}

    struct Sink : audio::AudioSink {
        explicit Sink(RipFaults& t) : t_(t) {}
        bool write(const std::int16_t* s, int frames, std::string& error) override {
            if (t_.failing) {
                error = "device gone";
                return false;
            }
            t_.samples.insert(t_.samples.end(), s, s + 2 * frames);
            return true;
        }
        void drop() override {}
        int leadSectors() const override { return 0; }
        RipFaults& t_;
    };

    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    void write(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path(name)).path());
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void run(PlaybackEngine& engine, int frames) {
        for (int i = 0; i < frames; ++i) {
            ++clock.frames_;
            engine.pump();
        }
    }
    // The left sample of each sector written since `from` (a sample index).
    std::vector<int> sectorValues(std::size_t from) const {
        std::vector<int> values;
        for (std::size_t i = from; i < samples.size(); i += 2 * kSamplesPerSector)
            values.push_back(samples[i]);
        return values;
    }

    QTemporaryDir dir;
    bool failing = false;
    std::vector<std::int16_t> samples;
    audio::AudioOutput output;
    ManualClock clock;
};

TEST_F(RipFaults, FilesDeletedOrCutWhilePlayingGiveSilenceAndTheNextDiscPlays) {
    write("rip/01.wav", corvina::test::pcmWav(150 * kSamplesPerSector, 11));
    write("rip/02.wav", corvina::test::pcmWav(150 * kSamplesPerSector, 22));
    write("rip/03.wav", corvina::test::pcmWav(150 * kSamplesPerSector, 33));
    QString error;
    auto disc = loadDiscImage(path("rip"), error);
    ASSERT_TRUE(disc) << error.toStdString();
    PlaybackEngine engine(disc, output, clock, false);
    const Toc toc = disc->toc();
    engine.play(toc.firstFrame(), toc.leadOut);
    run(engine, 75);
    ASSERT_FALSE(samples.empty());
    EXPECT_EQ(samples.front(), 11);

    // Track 1 is cut short under the player, track 2 goes, track 3 loses everything.
    ASSERT_TRUE(QFile::resize(path("rip/01.wav"), 44 + 100 * kSamplesPerSector * 4));
    ASSERT_TRUE(QFile::remove(path("rip/02.wav")));
    ASSERT_TRUE(QFile::resize(path("rip/03.wav"), 0));
    const std::size_t before = samples.size();
    run(engine, 3 * 150 + 75);
    EXPECT_FALSE(engine.isPlaying());  // the clock ran on to the end of the disc
    const std::vector<int> after = sectorValues(before);
    ASSERT_FALSE(after.empty());
    // Whatever each sector holds, it is the rip's sound or silence, nothing else.
    for (int v : after) EXPECT_TRUE(v == 0 || v == 11 || v == 22 || v == 33) << v;

    // The next disc plays.
    write("next/01.wav", corvina::test::pcmWav(75 * kSamplesPerSector, 44));
    auto next = loadDiscImage(path("next"), error);
    ASSERT_TRUE(next) << error.toStdString();
    engine.setDisc(next);
    engine.play(next->toc().firstFrame(), next->toc().leadOut);
    const std::size_t third = samples.size();
    run(engine, 40);
    const std::vector<int> played = sectorValues(third);
    ASSERT_FALSE(played.empty());
    EXPECT_EQ(played.front(), 44);
}

TEST_F(RipFaults, ASoundDeviceFailingMidPlayLeavesTheClockRunningAndComesBack) {
    write("rip/01.wav", corvina::test::pcmWav(300 * kSamplesPerSector, 7));
    QString error;
    auto disc = loadDiscImage(path("rip"), error);
    ASSERT_TRUE(disc) << error.toStdString();
    PlaybackEngine engine(disc, output, clock, false);
    engine.play(disc->toc().firstFrame(), disc->toc().leadOut);
    run(engine, 30);
    failing = true;
    run(engine, 60);
    EXPECT_EQ(engine.position(), disc->toc().firstFrame() + 90);
    EXPECT_TRUE(engine.isPlaying());
    failing = false;
    const std::size_t back = samples.size();
    run(engine, 200);  // the output retries and sound comes back
    EXPECT_FALSE(sectorValues(back).empty());
    EXPECT_EQ(sectorValues(back).back(), 7);
}

}  // namespace
