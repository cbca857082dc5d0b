// The real-drive backend end to end on generated disc images, which libcdio opens through the
// same calls as a drive: the TOC, the serial, CD-TEXT, a data track, cdparanoia's audio, the tray.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <thread>

#include "platform/cd/CdioDrive.h"
#include "platform/cd/DiscNames.h"

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
    CdioDrive drive(makeImage("disc", cue()).toStdString());
    EXPECT_TRUE(drive.description().startsWith("IMAGE ")) << drive.description().toStdString();
    ASSERT_TRUE(drive.hasDiscNow());
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
    CdioDrive drive(makeImage("gbk", gbk.encode(QString::fromUtf8(cue()).replace(
                                         QStringLiteral("Grüße"), QStringLiteral("晴天"))))
                        .toStdString());
    const DiscNames names = namesFromText(drive.cdText());
    EXPECT_EQ(names.artist, QStringLiteral("王菲"));
    EXPECT_EQ(names.track(1), QStringLiteral("一"));
    EXPECT_EQ(names.track(2), QStringLiteral("Zwei 晴天"));
}

TEST_F(CdioImageTest, ParanoiaReadsTheAudioAsWrittenAndTheDataTrackAsSilence) {
    const QString path = makeImage("disc", cue());
    CdioDrive drive(path.toStdString());
    const Toc toc = *drive.toc();
    auto reader = CdioDrive::openReader(path.toStdString(), toc);
    std::vector<std::int16_t> sector(2 * 588);
    for (int frame : {150, 151, 150 + 2 * 75, 150 + 3 * 75 + 40, 150 + 5 * 75 - 1, 151}) {
        SCOPED_TRACE(frame);
        ASSERT_TRUE(reader->read(frame, sector.data()));
        const auto* bytes = reinterpret_cast<const unsigned char*>(binBytes.constData()) +
                            static_cast<std::ptrdiff_t>(frame - 150) * kRaw;
        for (int i = 0; i < 2 * 588; i += 97) {
            ASSERT_EQ(sector[static_cast<std::size_t>(i)],
                      static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8));
        }
    }
    ASSERT_TRUE(reader->read(150 + 6 * 75, sector.data()));  // the data track plays silent
    EXPECT_EQ(*std::max_element(sector.begin(), sector.end()), 0);
    EXPECT_FALSE(reader->setSpeed(2));  // an image has no speed to set
}

TEST_F(CdioImageTest, AnImagesTrayIsThePlayersOwnAndPlayingRuns) {
    CdioDrive drive(makeImage("disc", cue()).toStdString());
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
    qputenv("CORVINA_DRIVE", QFile::encodeName(QDir(dir.path()).filePath("missing.cue")));
    auto drives = CdioDrive::probeAll();
    qunsetenv("CORVINA_DRIVE");
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_FALSE(drives.front()->hasDiscNow());
    EXPECT_FALSE(drives.front()->toc());
    qputenv("CORVINA_DRIVE", QFile::encodeName(makeImage("disc", cue())));
    drives = CdioDrive::probeAll();
    qunsetenv("CORVINA_DRIVE");
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_TRUE(drives.front()->hasDiscNow());
}

}  // namespace
