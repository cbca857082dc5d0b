// The whole player on a rip that goes bad while it plays: its files deleted or cut short, and
// a sound device that fails mid-play. Nothing crashes, nothing reaches the error report, the
// display follows the drive's clock throughout, and the next disc plays.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/audio/AudioOutput.h"
#include "platform/cd/DiscImage.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/VirtualDrive.h"
#include "tests/app/MainFixture.h"

namespace corvina::test {
namespace {

class ManualClock : public cd::Clock {
public:
    std::chrono::nanoseconds now() const override {
        return std::chrono::nanoseconds(1'000'000'000 + (frames * 1'000'000'000 + 74) / 75);
    }
    long long frames = 0;
};

// A disc slot whose disc can be changed while the tray is open.
class DiscSlot : public cd::DiscSource {
public:
    explicit DiscSlot(std::shared_ptr<cd::DiscSource> disc) : disc_(std::move(disc)) {}
    void change(std::shared_ptr<cd::DiscSource> disc) { disc_ = std::move(disc); }
    const cd::Toc& toc() const override { return disc_->toc(); }
    bool readSector(int frame, std::int16_t* out) override { return disc_->readSector(frame, out); }

private:
    std::shared_ptr<cd::DiscSource> disc_;
};

struct Device {
    bool failing = false;
    long long nonSilent = 0;  // stereo frames heard that were not silence
};

class DeviceSink : public audio::AudioSink {
public:
    explicit DeviceSink(Device& device) : device_(device) {}
    bool write(const std::int16_t* samples, int frames, std::string& error) override {
        if (device_.failing) {
            error = "device unplugged";
            return false;
        }
        for (int i = 0; i < frames; ++i) device_.nonSilent += samples[2 * i] != 0;
        return true;
    }

private:
    Device& device_;
};

class RipFaults : public MainWindowTest {
protected:
    RipFaults()
        : output_(
              "device",
              [this](std::string& error) -> std::unique_ptr<audio::AudioSink> {
                  if (device_.failing) {
                      error = "no such device";
                      return nullptr;
                  }
                  return std::make_unique<DeviceSink>(device_);
              },
              std::chrono::milliseconds(0)) {}

    std::shared_ptr<cd::DiscSource> rip(const QString& name, int tracks, qint16 value) {
        QDir(dir_.path()).mkpath(name);
        for (int t = 1; t <= tracks; ++t) {
            QFile file(dir_.filePath(QStringLiteral("%1/%2.wav").arg(name).arg(t)));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(pcmWav(3 * 44100, qint16(value + t)));
        }
        QString error;
        auto disc = cd::loadDiscImage(dir_.filePath(name), error);
        EXPECT_TRUE(disc) << error.toStdString();
        return disc;
    }
    // Inserts a drive holding `disc`, played through the fake device on the manual clock.
    void insert(std::shared_ptr<cd::DiscSource> disc) {
        slot_ = std::make_shared<DiscSlot>(std::move(disc));
        auto engine = std::make_unique<cd::PlaybackEngine>(slot_, output_, clock_, false);
        engine_ = engine.get();
        std::vector<std::unique_ptr<cd::Drive>> drives;
        drives.push_back(std::make_unique<cd::VirtualDrive>("rip", slot_, std::move(engine)));
        cd::DriveSet::install(std::move(drives));
    }
    // `seconds` of play, the engine pumped as its thread would, and a tick each second.
    void play(int seconds) {
        for (int s = 0; s < seconds; ++s) {
            for (int f = 0; f < 75; ++f) {
                ++clock_.frames;
                engine_->pump();
            }
            tick();
        }
    }

    QTemporaryDir dir_;
    Device device_;
    audio::AudioOutput output_;
    ManualClock clock_;
    std::shared_ptr<DiscSlot> slot_;
    cd::PlaybackEngine* engine_ = nullptr;
};

TEST_F(RipFaults, FilesGoneOrCutAndADeviceThatFailsStopNothing) {
    insert(rip("first", 3, 1000));
    writeSettings();
    TFormMain& form = start();
    tick();
    play(1);
    EXPECT_EQ(form.LabelTrack->Caption(), QStringLiteral("01/3"));
    EXPECT_EQ(form.LabelStatus->Caption(), QStringLiteral("正在播放..."));
    EXPECT_GT(device_.nonSilent, 0);

    // While track 1 plays, track 2 is cut to its header and track 3 is deleted.
    QFile::resize(dir_.filePath("first/2.wav"), 44);
    QFile::remove(dir_.filePath("first/3.wav"));
    play(3);
    EXPECT_EQ(form.TrackNo, QStringLiteral("02"));
    EXPECT_EQ(form.PositionText, QStringLiteral("00:01"));

    // The sound device fails in the middle of track 2: the clock, and the display, run on.
    device_.failing = true;
    play(3);
    EXPECT_EQ(form.TrackNo, QStringLiteral("03"));
    EXPECT_EQ(form.PositionText, QStringLiteral("00:01"));
    EXPECT_EQ(form.LabelStatus->Caption(), QStringLiteral("正在播放..."));
    device_.failing = false;
    play(1);
    EXPECT_EQ(form.PositionText, QStringLiteral("00:02"));

    // The tray is opened, the next disc goes in, the tray closes: it plays by itself, and is
    // heard again.
    form.CDEject(nullptr);
    slot_->change(rip("second", 2, 2000));
    form.CDEject(nullptr);
    tick();
    const long long heard = device_.nonSilent;
    play(4);
    EXPECT_EQ(form.LabelTrack->Caption(), QStringLiteral("02/2"));
    EXPECT_EQ(form.PositionText, QStringLiteral("00:01"));
    EXPECT_GT(device_.nonSilent, heard);
    EXPECT_TRUE(errors_->messages().isEmpty()) << errors_->messages().join("\n").toStdString();
}

}  // namespace
}  // namespace corvina::test
