// The real-drive backend end to end: on generated disc images, which libcdio opens through the
// same calls as a drive (the TOC, the serial, CD-TEXT, a data track, the audio read, the tray),
// and on the model of a drive (unplugging, ejecting while playing, a device the user may not
// open, a TOC that cannot be read, enhanced and mixed-mode discs, drives plugged in later).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <thread>

#include "platform/audio/AudioOutput.h"
#include "platform/audio/AudioSink.h"

#include "platform/cd/DiscNames.h"
#include "platform/cd/DriveModel.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/LateDrive.h"
#include "platform/cd/LibcdioDevice.h"
#include "platform/cd/Probe.h"
#include "platform/cd/RealDrive.h"
#include "tests/support/TestSupport.h"

using namespace corvina;
using namespace corvina::cd;

namespace {

constexpr int kRaw = 2352;

class CdioImageTest : public ::testing::Test {
protected:
    // Two audio tracks (3 s of 440 Hz, 2 s of 880 Hz) and a 2 s data track, as NAME.bin and
    // NAME.cue (the cue driver opens the .bin named like the .cue, whatever FILE says).
    QString makeImage(const QString& name, const QByteArray& cueText) {
        QByteArray bin;
        auto tone = [&](double hz, int seconds) {
            for (int i = 0; i < 44100 * seconds; ++i) {
                const auto v = static_cast<qint16>(
                    std::lround(8000 * std::sin(6.283185307179586 * hz * i / 44100)));
                for (int c = 0; c < 2; ++c) {
                    bin.append(char(v & 0xFF));
                    bin.append(char((v >> 8) & 0xFF));
                }
            }
        };
        tone(440, 3);
        tone(880, 2);
        bin.append(QByteArray(kRaw * 150, '\0'));
        binBytes = bin;
        write(name + ".bin", bin);
        write(name + ".cue", cueText);
        return QDir(dir.path()).filePath(name + ".cue");
    }
    void write(const QString& name, const QByteArray& bytes) {
        QFile file(QDir(dir.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArray cue() {
        return QStringLiteral(
                   "PERFORMER \"王菲\"\nTITLE \"唱游\"\nFILE \"x.bin\" BINARY\n"
                   "  TRACK 01 AUDIO\n    TITLE \"一\"\n    INDEX 01 00:00:00\n"
                   "  TRACK 02 AUDIO\n    TITLE \"Zwei Grüße\"\n"
                   "    INDEX 01 00:03:00\n"
                   "  TRACK 03 MODE1/2352\n    INDEX 01 00:05:00\n")
            .toUtf8();
    }
    // Waits (up to two seconds) for the drive's own thread to see a change.
    template <typename Pred>
    static bool eventually(Pred pred) {
        for (int i = 0; i < 200 && !pred(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return pred();
    }

    QTemporaryDir dir;
    QByteArray binBytes;
};

TEST_F(CdioImageTest, TocSerialDataTrackAndCdTextOfAnImage) {
    RealDrive drive(libcdioDevice(makeImage("disc", cue()).toStdString()));
    EXPECT_TRUE(drive.description().startsWith("IMAGE ")) << drive.description().toStdString();
    ASSERT_TRUE(drive.toc());  // the first look is made before the drive is returned
    const Toc toc = *drive.toc();
    ASSERT_EQ(toc.trackCount(), 3);
    EXPECT_EQ(toc.trackStart(1), 150);
    EXPECT_EQ(toc.trackStart(2), 150 + 3 * 75);
    EXPECT_EQ(toc.trackStart(3), 150 + 5 * 75);
    EXPECT_EQ(toc.leadOut, 150 + 7 * 75);
    EXPECT_TRUE(toc.tracks[0].audio);
    EXPECT_TRUE(toc.tracks[1].audio);
    EXPECT_FALSE(toc.tracks[2].audio);
    // 00:02:00 + 00:05:00 + 00:07:00 packed as (m << 16) | (s << 8) | f.
    EXPECT_EQ(discSerial(toc), 0x000E00u);

    const DiscNames names = namesFromText(drive.cdText());
    EXPECT_EQ(names.artist, QStringLiteral("王菲"));
    EXPECT_EQ(names.album, QStringLiteral("唱游"));
    EXPECT_EQ(names.track(1), QStringLiteral("一"));
    EXPECT_EQ(names.track(2), QStringLiteral("Zwei Grüße"));
    EXPECT_EQ(names.track(3), QString());
}

TEST_F(CdioImageTest, GbkCueSheetThroughTheCueDriver) {
    QStringEncoder gbk("GBK");
    RealDrive drive(libcdioDevice(makeImage("gbk", gbk.encode(QString::fromUtf8(cue()).replace(
                                                       QStringLiteral("Grüße"), QStringLiteral("晴天"))))
                                      .toStdString()));
    const DiscNames names = namesFromText(drive.cdText());
    EXPECT_EQ(names.artist, QStringLiteral("王菲"));
    EXPECT_EQ(names.track(1), QStringLiteral("一"));
    EXPECT_EQ(names.track(2), QStringLiteral("Zwei 晴天"));
}

TEST_F(CdioImageTest, TheStreamReadsTheAudioAsWrittenAndTheDataTrackAsSilence) {
    const QString path = makeImage("disc", cue());
    const std::shared_ptr<DriveDevice> device = libcdioDevice(path.toStdString());
    RealDrive drive(device);
    const Toc toc = *drive.toc();
    OpenError error = OpenError::None;
    std::string detail;
    DriveStream reader(toc, device->open(error, detail));
    std::vector<std::int16_t> sector(2 * 588);
    for (int frame : {150, 151, 150 + 2 * 75, 150 + 3 * 75 + 40, 150 + 5 * 75 - 1, 151}) {
        SCOPED_TRACE(frame);
        ASSERT_TRUE(reader.readSector(frame, sector.data()));
        const auto* bytes = reinterpret_cast<const unsigned char*>(binBytes.constData()) +
                            static_cast<std::ptrdiff_t>(frame - 150) * kRaw;
        for (int i = 0; i < 2 * 588; i += 97) {
            ASSERT_EQ(sector[static_cast<std::size_t>(i)],
                      static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8));
        }
    }
    EXPECT_FALSE(reader.readSector(150 + 6 * 75, sector.data()));  // the data track is silence
    EXPECT_EQ(*std::max_element(sector.begin(), sector.end()), 0);
    EXPECT_EQ(reader.speed(), 0);  // an image has no speed to set
}

TEST_F(CdioImageTest, AnImagesTrayIsThePlayersOwnAndPlayingRuns) {
    RealDrive drive(libcdioDevice(makeImage("disc", cue()).toStdString()));
    ASSERT_TRUE(drive.play(150, 150 + 5 * 75));
    EXPECT_TRUE(drive.isPlaying());
    EXPECT_TRUE(eventually([&] { return drive.position() > 160; }));
    drive.setDoorOpen(true);
    EXPECT_FALSE(drive.toc());
    EXPECT_FALSE(drive.cdText());
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));  // a look or two later
    EXPECT_TRUE(drive.isDoorOpen());
    EXPECT_FALSE(drive.toc());
    drive.setDoorOpen(false);
    EXPECT_TRUE(eventually([&] { return drive.toc().has_value(); }));
    EXPECT_EQ(namesFromText(drive.cdText()).album, QStringLiteral("唱游"));
}

TEST_F(CdioImageTest, ChosenDriveThatCannotBeOpenedIsAnEmptyDrive) {
    const std::string missing = QDir(dir.path()).filePath("missing.cue").toStdString();
    qputenv("CORVINA_DRIVE", missing.c_str());
    const ProbeParts parts = realParts();
    EXPECT_EQ(parts.listDevices(), std::vector<std::string>{missing});
    std::unique_ptr<Drive> drive = parts.openDevice(missing);
    qunsetenv("CORVINA_DRIVE");
    EXPECT_FALSE(drive->toc());
    EXPECT_TRUE(drive->gone());
    const std::string image = makeImage("disc", cue()).toStdString();
    qputenv("CORVINA_DRIVE", image.c_str());
    drive = realParts().openDevice(image);
    qunsetenv("CORVINA_DRIVE");
    EXPECT_TRUE(drive->toc());
}

}  // namespace

namespace {

using namespace std::chrono_literals;

// A disc of the given tracks for the model; every sample tells its frame.
class ModelDisc : public DiscSource {
public:
    explicit ModelDisc(Toc toc) : toc_(std::move(toc)) {}
    const Toc& toc() const override { return toc_; }
    bool readSector(int frame, std::int16_t* out) override {
        std::fill(out, out + 2 * 588, static_cast<std::int16_t>(frame));
        return true;
    }
    Toc toc_;
};

Toc threeTracks() {
    Toc toc;
    for (int n = 0; n < 3; ++n) toc.tracks.push_back({150 + n * 20 * 75, true});
    toc.leadOut = 150 + 60 * 75;
    return toc;
}

// The model answering at once: no spin-up, no seeks worth waiting for.
DriveModelSetup quickSetup() {
    DriveModelSetup setup;
    setup.spinUp = 0ms;
    setup.seekNear = 0ms;
    setup.seekFar = 0ms;
    return setup;
}

class ModelDriveTest : public ::testing::Test {
protected:
    ModelDriveTest() : output("null", [](std::string&) { return audio::openNullSink(); }) {}

    std::shared_ptr<DriveModel> model(Toc toc = threeTracks(), DriveModelSetup setup = quickSetup()) {
        return std::make_shared<DriveModel>("/dev/model", std::make_shared<ModelDisc>(toc), setup);
    }
    std::unique_ptr<RealDrive> drive(std::shared_ptr<DriveModel> device) {
        return std::make_unique<RealDrive>(device, std::make_unique<PlaybackEngine>(nullptr, output),
                                           [this](const QString& m) {
                                               std::lock_guard lock(told);
                                               messages.push_back(m);
                                           });
    }
    template <typename Pred>
    static bool within(std::chrono::milliseconds limit, Pred pred) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!pred() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(10ms);
        return pred();
    }
    QStringList toldSoFar() {
        std::lock_guard lock(told);
        return messages;
    }

    audio::AudioOutput output;
    std::mutex told;
    QStringList messages;
};

TEST_F(ModelDriveTest, AnUnpluggedDriveIsEmptyWithinTwoSecondsAndIsMadeAgainWhenItIsBack) {
    const auto device = model();
    auto count = std::make_unique<std::atomic<int>>(0);
    std::atomic<int>* made = count.get();
    ProbeParts parts;
    parts.listDevices = [device] {
        return device->present() ? std::vector<std::string>{"/dev/model"} : std::vector<std::string>{};
    };
    parts.openDevice = [this, device, made](const std::string&) -> std::unique_ptr<Drive> {
        ++*made;
        return drive(device);
    };
    std::vector<std::unique_ptr<Drive>> drives;
    drives.push_back(lateDrive(parts, "/dev/model"));
    auto* late = static_cast<LateDrive*>(drives.front().get());
    DriveSet::install(std::move(drives));
    late->waitReady();
    ASSERT_TRUE(late->toc());
    ASSERT_TRUE(late->play(150, 150 + 60 * 75));
    EXPECT_TRUE(within(2s, [&] { return late->position() > 160; }));

    device->unplug();
    EXPECT_TRUE(within(2s, [&] { return !late->toc() && late->gone(); }));
    EXPECT_FALSE(late->isPlaying());
    EXPECT_FALSE(DriveSet::instance().refresh(parts).any());  // still unplugged: nothing to do

    device->plugIn();
    const DriveChanges changes = DriveSet::instance().refresh(parts);
    EXPECT_EQ(changes.back, std::vector<Drive*>{late});
    EXPECT_TRUE(changes.joined.empty());
    EXPECT_TRUE(within(2s, [&] { return late->toc().has_value(); }));
    EXPECT_EQ(made->load(), 2);
    ASSERT_TRUE(late->play(150 + 20 * 75, 150 + 60 * 75));
    EXPECT_TRUE(within(2s, [&] { return late->position() > 150 + 20 * 75 + 10; }));
    DriveSet::install({});
}

TEST_F(ModelDriveTest, ADrivePluggedInLaterJoinsTheListWithTheNextLetter) {
    std::vector<std::string> devices;
    ProbeParts parts;
    parts.listDevices = [&devices] { return devices; };
    parts.openDevice = [this](const std::string& path) -> std::unique_ptr<Drive> {
        return drive(std::make_shared<DriveModel>(path, nullptr, quickSetup()));
    };
    std::vector<std::unique_ptr<Drive>> drives;
    drives.push_back(lateDrive(parts, "/dev/sr0"));
    DriveSet::install(std::move(drives));
    devices = {"/dev/sr0"};
    EXPECT_FALSE(DriveSet::instance().refresh(parts).any());
    devices = {"/dev/sr0", "/dev/sr1"};
    const DriveChanges changes = DriveSet::instance().refresh(parts);
    ASSERT_EQ(changes.joined.size(), 1u);
    ASSERT_EQ(DriveSet::instance().drives().size(), 2u);
    EXPECT_EQ(DriveSet::instance().drives()[1].letter, QChar('E'));
    EXPECT_EQ(DriveSet::instance().drives()[1].drive.get(), changes.joined.front());
    EXPECT_FALSE(DriveSet::instance().refresh(parts).any());
    DriveSet::install({});
}

TEST_F(ModelDriveTest, EjectingWhilePlayingReleasesTheDeviceFirstAndABusyDriveSaysWhy) {
    const auto device = model();
    auto real = drive(device);
    ASSERT_TRUE(real->play(150, 150 + 60 * 75));
    EXPECT_TRUE(within(2s, [&] { return real->position() > 160; }));
    real->setDoorOpen(true);
    // The model, like the kernel, refuses while any other handle is open.
    EXPECT_TRUE(within(2s, [&] { return device->trayOpen(); }));
    real->setDoorOpen(false);
    EXPECT_TRUE(within(3s, [&] { return real->toc().has_value(); }));
    EXPECT_TRUE(toldSoFar().isEmpty());

    // Another program holds the drive open: the tray stays, and the user is told why, once.
    OpenError error = OpenError::None;
    std::string detail;
    const auto other = device->open(error, detail);
    real->setDoorOpen(true);
    EXPECT_TRUE(within(2s, [&] { return !toldSoFar().isEmpty(); }));
    EXPECT_FALSE(device->trayOpen());
    EXPECT_TRUE(within(2s, [&] { return !real->isDoorOpen(); }));
    ASSERT_EQ(toldSoFar().size(), 1);
    EXPECT_TRUE(toldSoFar().front().contains(QStringLiteral("/dev/model")));
}

TEST_F(ModelDriveTest, AMountedDataSessionIsUnmountedBeforeTheTrayMovesOrTheUserIsToldWhy) {
    DriveModelSetup setup = quickSetup();
    setup.mounted = true;
    const auto device = model(threeTracks(), setup);
    auto real = drive(device);
    real->setDoorOpen(true);
    EXPECT_TRUE(within(2s, [&] { return device->trayOpen(); }));
    EXPECT_FALSE(device->mounted());
    EXPECT_TRUE(toldSoFar().isEmpty());

    setup.unmountRefused = true;
    const auto refusing = model(threeTracks(), setup);
    auto stuck = drive(refusing);
    stuck->setDoorOpen(true);
    EXPECT_TRUE(within(2s, [&] { return !toldSoFar().isEmpty(); }));
    EXPECT_FALSE(refusing->trayOpen());
    EXPECT_TRUE(toldSoFar().front().contains(QStringLiteral("/media/disc")));
}

TEST_F(ModelDriveTest, ADeviceTheUserMayNotOpenSaysSoOnceWithTheUsualRemedy) {
    DriveModelSetup setup = quickSetup();
    setup.permitted = false;
    auto real = drive(model(threeTracks(), setup));
    std::this_thread::sleep_for(2500ms);  // a look or two later
    EXPECT_FALSE(real->toc());
    EXPECT_FALSE(real->gone());
    const QStringList told = toldSoFar();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.front().contains(QStringLiteral("/dev/model")));
    EXPECT_TRUE(told.front().contains(QStringLiteral("adduser")));
}

TEST_F(ModelDriveTest, AnEnhancedCdsAudioEndsWithItsFirstSessionAndItsDataTrackNeverSounds) {
    Toc toc;
    toc.tracks = {{150, true}, {150 + 20 * 75, true}, {150 + 21 * 75 + 11400, false}};
    toc.firstSessionEnd = 150 + 21 * 75;  // track 2 lasts a second
    toc.leadOut = toc.tracks[2].start + 3000;
    const auto device = model(toc);
    auto real = drive(device);
    const std::optional<Toc> seen = real->toc();
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->firstSessionEnd, 150 + 21 * 75);
    EXPECT_EQ(seen->trackLength(2), 75);  // not the 11,400-frame gap too
    ASSERT_TRUE(real->play(150 + 20 * 75, seen->leadOut));
    EXPECT_TRUE(within(3s, [&] { return !real->isPlaying(); }));
    EXPECT_EQ(real->position(), 150 + 21 * 75);
    for (const DriveModel::Read& read : device->reads())
        EXPECT_LT(read.lsn + read.count, 21 * 75 + 1) << read.lsn;
    EXPECT_FALSE(real->play(toc.tracks[2].start, toc.leadOut));  // the data track itself
}

TEST_F(ModelDriveTest, AMixedModeDiscStartsAtItsFirstAudioTrack) {
    Toc toc;
    toc.tracks = {{150, false}, {150 + 30 * 75, true}};
    toc.leadOut = 150 + 60 * 75;
    const auto device = model(toc);
    auto real = drive(device);
    ASSERT_TRUE(real->play(150, toc.leadOut));
    EXPECT_GE(real->position(), 150 + 30 * 75);
    EXPECT_TRUE(within(2s, [&] { return real->position() > 150 + 30 * 75 + 10; }));
    for (const DriveModel::Read& read : device->reads()) EXPECT_GE(read.lsn, 30 * 75);
}

TEST_F(ModelDriveTest, ATocTheDriveCannotReadIsAnEmptyDriveSaidOnStderr) {
    DriveModelSetup setup = quickSetup();
    setup.tocUnreadable = true;
    test::TempFolder folder;
    const QByteArray log = QFile::encodeName(folder.path("stderr"));
    std::fflush(stderr);
    const int saved = ::dup(2);
    const int file = ::open(log.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(file, 2);
    {
        auto real = drive(model(threeTracks(), setup));
        std::this_thread::sleep_for(2200ms);
        EXPECT_FALSE(real->toc());
    }
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    ::close(file);
    QFile out(folder.path("stderr"));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QString said = QString::fromLocal8Bit(out.readAll());
    EXPECT_EQ(said.count(QStringLiteral("table of contents cannot be read")), 1) << said.toStdString();
}

}  // namespace
