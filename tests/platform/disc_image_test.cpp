// CD rips as discs: cue sheets, folders of audio files, and the bad ones.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>

#include "platform/cd/CueSheet.h"
#include "platform/cd/DiscImage.h"
#include "platform/cd/Probe.h"
#include "platform/cd/VirtualDrive.h"
#include "tests/support/TestSupport.h"

using namespace corvina::cd;

namespace {

using corvina::test::putLe;

int openFiles() {
    return int(QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

class DiscImageTest : public ::testing::Test, public corvina::test::TempFolder {
protected:
    std::shared_ptr<DiscSource> load(const QString& name) {
        error.clear();
        return loadDiscImage(path(name), error);
    }
    // Left sample of the middle of absolute frame `frame`.
    static int sampleAt(DiscSource& disc, int frame, int channel = 0) {
        std::vector<std::int16_t> s(2 * kSamplesPerSector);
        disc.readSector(frame, s.data());
        return s[2 * 300 + channel];
    }

    QString error;
};

TEST_F(DiscImageTest, FolderTracksFollowNumericNameOrderFromTheLeadIn) {
    QDir().mkpath(path("rip"));
    write("rip/10 last.wav", corvina::test::pcmWav(588 * 3, 3000));
    write("rip/2 middle.WAV", corvina::test::pcmWav(588 * 2 + 100, 2000, 44100, 1));
    write("rip/1 first.wav", corvina::test::pcmWav(588 * 4, 1000));
    write("rip/cover.jpg", "not audio");
    auto disc = load("rip");
    ASSERT_TRUE(disc) << error.toStdString();
    const Toc& toc = disc->toc();
    ASSERT_EQ(toc.trackCount(), 3);
    EXPECT_EQ(toc.trackStart(1), 150);
    EXPECT_EQ(toc.trackStart(2), 154);
    EXPECT_EQ(toc.trackStart(3), 157);  // a partial last sector still takes a whole one
    EXPECT_EQ(toc.leadOut, 160);
    EXPECT_EQ(sampleAt(*disc, 150), 1000);
    EXPECT_EQ(sampleAt(*disc, 155, 1), 2000);  // mono on both channels
    EXPECT_EQ(sampleAt(*disc, 159), 3000);
    std::vector<std::int16_t> s(2 * kSamplesPerSector);
    disc->readSector(156, s.data());
    EXPECT_EQ(s[2 * 99], 2000);
    EXPECT_EQ(s[2 * 100], 0);  // padded with silence
}

TEST_F(DiscImageTest, CueSheetLaysOutBinTracksGapsAndDataTracks) {
    QByteArray bin;
    for (int sector = 0; sector < 10; ++sector)
        for (int i = 0; i < 2 * kSamplesPerSector; ++i) putLe(bin, quint16(100 + sector), 2);
    write("Image.BIN", bin);
    write("disc.cue",
          "\xEF\xBB\xBFREM GENRE Test\r\n"
          "TITLE \"Demo Album\"\r\nPERFORMER \"Some Band\"\r\n"
          "FILE \"image.bin\" BINARY\r\n"
          "  TRACK 01 MODE1/2352\r\n    TITLE \"First Song\"\r\n    INDEX 01 00:00:00\r\n"
          "  TRACK 02 AUDIO\r\n    INDEX 01 00:00:04\r\n"
          "  TRACK 03 AUDIO\r\n    PREGAP 00:00:02\r\n    INDEX 00 00:00:06\r\n"
          "    INDEX 01 00:00:07\r\n");
    auto disc = load("disc.cue");
    ASSERT_TRUE(disc) << error.toStdString();
    const Toc& toc = disc->toc();
    ASSERT_EQ(toc.trackCount(), 3);
    EXPECT_EQ(toc.trackStart(2), 154);
    EXPECT_FALSE(toc.tracks[0].audio);
    EXPECT_EQ(toc.trackStart(3), 159);  // 7 sectors in, after 2 sectors of pregap
    EXPECT_EQ(toc.leadOut, 162);
    EXPECT_EQ(sampleAt(*disc, 153), 0);  // data plays as silence
    EXPECT_EQ(sampleAt(*disc, 155), 105);
    EXPECT_EQ(sampleAt(*disc, 156), 106);  // the index 00 part is heard before track 3 starts
    EXPECT_EQ(sampleAt(*disc, 157), 0);    // the pregap
    EXPECT_EQ(sampleAt(*disc, 159), 107);
    ASSERT_TRUE(disc->cdText());
    EXPECT_EQ(disc->cdText()->title, "Demo Album");
    EXPECT_EQ(disc->cdText()->trackTitles.at(0), "First Song");
}

TEST_F(DiscImageTest, CueFlagsMarkPreemphasisedAudioTracksInTheToc) {
    QByteArray bin(4 * 2352, '\0');
    write("image.bin", bin);
    const char* text =
        "FLAGS PRE\n"  // before any track: belongs to none
        "FILE \"image.bin\" BINARY\n"
        "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
        "  TRACK 02 AUDIO\n    flags dcp  Pre\n    INDEX 01 00:00:01\n"
        "  TRACK 03 MODE1/2352\n    FLAGS PRE DATA\n    INDEX 01 00:00:02\n"
        "  TRACK 04 AUDIO\n    FLAGS 4CH\n    FLAGS SCMS\n    INDEX 01 00:00:03\n";
    write("disc.cue", text);
    std::string parseError;
    const auto sheet = parseCueSheet(text, parseError);
    ASSERT_TRUE(sheet) << parseError;
    const auto& t = sheet->tracks;
    EXPECT_FALSE(t[0].preemphasis || t[0].copyPermitted || t[0].fourChannel || t[0].serialCopy);
    EXPECT_TRUE(t[1].preemphasis && t[1].copyPermitted);
    EXPECT_FALSE(t[1].fourChannel || t[1].serialCopy);
    EXPECT_TRUE(t[2].preemphasis);
    EXPECT_TRUE(t[3].fourChannel && t[3].serialCopy);
    EXPECT_FALSE(t[3].preemphasis);

    auto disc = load("disc.cue");
    ASSERT_TRUE(disc) << error.toStdString();
    const Toc& toc = disc->toc();
    ASSERT_EQ(toc.trackCount(), 4);
    EXPECT_FALSE(toc.tracks[0].preemphasis);
    EXPECT_TRUE(toc.tracks[1].preemphasis);
    EXPECT_FALSE(toc.tracks[2].preemphasis);  // a data track is never played, flag or not
    EXPECT_FALSE(toc.tracks[3].preemphasis);
}

TEST_F(DiscImageTest, SectorsReadInAnyOrderAreTheirOwn) {
    // Reads go on without seeking while they follow each other; any jump must still land on
    // the sector asked for, whole, in the middle of the read buffer or past it.
    // A MOTOROLA file holds the same samples with their bytes the other way round.
    constexpr int kSectors = 60;
    QByteArray little, big;
    for (int sector = 0; sector < kSectors; ++sector) {
        for (int i = 0; i < 2 * kSamplesPerSector; ++i) {
            const quint16 value = quint16(sector * 500 + i % 400 - 15000);
            putLe(little, value, 2);
            big.append(char(value >> 8)).append(char(value & 0xFF));
        }
    }
    write("little.bin", little);
    write("big.bin", big);
    write("little.cue", "FILE \"little.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    write("big.cue", "FILE \"big.bin\" MOTOROLA\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    for (const char* sheet : {"little.cue", "big.cue"}) {
        auto disc = load(sheet);
        ASSERT_TRUE(disc) << error.toStdString();
        std::vector<std::int16_t> s(2 * kSamplesPerSector);
        for (int sector : {0, 1, 2, 3, 1, 2, 59, 0, 30, 31, 32, 58, 59, 5}) {
            ASSERT_TRUE(disc->readSector(150 + sector, s.data()));
            for (int i : {0, 1, 2 * kSamplesPerSector - 1})
                ASSERT_EQ(s[i], sector * 500 + i % 400 - 15000)
                    << sheet << " sector " << sector << " sample " << i;
        }
    }
}

TEST_F(DiscImageTest, CueSheetWithOneFilePerTrackHonoursItsFileLines) {
    write("a.wav", corvina::test::pcmWav(588 * 5, 10));
    write("b.wav", corvina::test::pcmWav(588 * 3, 20));
    // The gap before track 2 sits at the end of the first file, as some rippers write it.
    write("disc.cue",
          "FILE \"b.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
          "  TRACK 02 AUDIO\n    INDEX 00 00:00:02\n"
          "FILE \"C:\\Rips\\A.wav\" WAVE\n    INDEX 01 00:00:00\n");
    auto disc = load("disc.cue");
    ASSERT_TRUE(disc) << error.toStdString();
    ASSERT_EQ(disc->toc().trackCount(), 2);
    EXPECT_EQ(disc->toc().trackStart(2), 153);
    EXPECT_EQ(sampleAt(*disc, 152), 20);
    EXPECT_EQ(sampleAt(*disc, 153), 10);
}

TEST_F(DiscImageTest, UnusableDiscsAreRefusedWithAReason) {
    write("48k.wav", corvina::test::pcmWav(588 * 2, 5, 48000));
    write("truncated.wav", corvina::test::pcmWav(588 * 20, 5).left(44 + 1000));
    write("garbage.cue", "\x01\x02 what is this\n");
    write("none.cue", "REM nothing here\n");
    write("missing.cue", "FILE \"gone.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n");
    QByteArray many = "FILE \"48k.wav\" WAVE\n";
    for (int t = 1; t <= 100; ++t)
        many += QByteArray("TRACK ") + QByteArray::number(t) + " AUDIO\nINDEX 01 00:00:00\n";
    write("many.cue", many);
    QDir().mkpath(path("empty"));
    QDir().mkpath(path("highrate"));
    write("highrate/1.wav", corvina::test::pcmWav(588, 5, 96000));

    for (const char* name : {"nothing-there", "48k.wav", "garbage.cue", "none.cue", "missing.cue",
                             "many.cue", "empty", "highrate"}) {
        EXPECT_FALSE(load(name)) << name;
        EXPECT_FALSE(error.isEmpty()) << name;
    }
    EXPECT_TRUE(error.contains("96000 Hz"));
    load("missing.cue");
    EXPECT_TRUE(error.contains("gone.wav"));
    load("many.cue");
    EXPECT_TRUE(error.contains("99"));

    // A cut-off file plays what it holds (1000 bytes: 250 stereo frames, in the first sector);
    // the rest of that sector is silence, not a crash.
    auto cut = load("truncated.wav");
    ASSERT_TRUE(cut) << error.toStdString();
    ASSERT_EQ(cut->toc().trackCount(), 1);
    EXPECT_EQ(cut->toc().leadOut, 151);
    std::vector<std::int16_t> s(2 * kSamplesPerSector, -1);
    EXPECT_TRUE(cut->readSector(150, s.data()));
    EXPECT_EQ(s[2 * 249], 5);
    EXPECT_EQ(s[2 * 250 + 1], 0);
    EXPECT_EQ(s[2 * kSamplesPerSector - 1], 0);
    EXPECT_TRUE(cut->readSector(151, s.data()));  // past the lead-out

    // A drive given a bad disc is an empty drive.
    auto drive = VirtualDrive::forPath(path("garbage.cue"));
    EXPECT_FALSE(drive->toc());
    EXPECT_FALSE(drive->play(150, 160));
}

TEST_F(DiscImageTest, FloatRipsPlayAtTheirOwnLevel) {
    // A quiet float rip stays quiet: a quarter of full scale is a quarter of full scale, not
    // stretched to the loudest sample of the file.
    write("quiet.wav", corvina::test::floatWav(588 * 4, 0.25f));
    write("loud.wav", corvina::test::floatWav(588, -1.5f));
    auto quiet = load("quiet.wav");
    ASSERT_TRUE(quiet) << error.toStdString();
    EXPECT_EQ(sampleAt(*quiet, 151), 8192);
    EXPECT_EQ(sampleAt(*quiet, 152, 1), 8192);
    auto loud = load("loud.wav");
    ASSERT_TRUE(loud) << error.toStdString();
    EXPECT_EQ(sampleAt(*loud, 150), -32768);  // clipped, not wrapped
}

TEST_F(DiscImageTest, OpeningReadsHeadersAndPlayingHoldsOneFileOpen) {
    QDir().mkpath(path("rip"));
    for (int t = 1; t <= 12; ++t)
        write(QStringLiteral("rip/%1.wav").arg(t), corvina::test::pcmWav(588 * 2, qint16(t * 100)));
    const int before = openFiles();
    auto disc = load("rip");
    ASSERT_TRUE(disc) << error.toStdString();
    EXPECT_EQ(openFiles(), before);  // nothing kept open by opening the disc
    for (int frame = 150; frame < disc->toc().leadOut; ++frame) {
        sampleAt(*disc, frame);
        EXPECT_LE(openFiles(), before + 1) << frame;
    }
    EXPECT_EQ(sampleAt(*disc, 150 + 2 * 6), 700);
    EXPECT_EQ(sampleAt(*disc, 150), 100);  // back to an earlier file

    // A file that goes away after the disc was opened plays as silence.
    QFile::remove(path("rip/3.wav"));
    EXPECT_EQ(sampleAt(*disc, 150 + 2 * 2), 0);
    EXPECT_EQ(sampleAt(*disc, 150 + 2 * 3), 400);
}

TEST(CueSheet, ReportsTheLineOfAMistake) {
    std::string error;
    EXPECT_FALSE(parseCueSheet("FILE \"a.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:61:00\n", error));
    EXPECT_EQ(error, "line 3: bad INDEX");
    // Seconds run to 59 and frames to 74; one more in either field is a mistake.
    for (const char* time : {"00:60:00", "00:00:75", "00:59:75", "00:00", "0a:00:00", ":00:00"}) {
        EXPECT_FALSE(parseCueSheet(
            std::string("FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 ") + time + "\n", error))
            << time;
        EXPECT_EQ(error, "line 3: bad INDEX") << time;
    }
    auto last = parseCueSheet("FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:59:74\n", error);
    ASSERT_TRUE(last) << error;
    EXPECT_EQ(last->tracks.at(0).index01, 59 * 75 + 74);
    EXPECT_FALSE(parseCueSheet("TRACK 01 AUDIO\n", error));
    EXPECT_EQ(error, "line 1: TRACK before any FILE");
    EXPECT_FALSE(
        parseCueSheet("FILE a.wav WAVE\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n"
                      "TRACK 01 AUDIO\nINDEX 01 00:00:01\n",
                      error));
    EXPECT_EQ(error, "line 4: track numbers must go up");
    EXPECT_FALSE(
        parseCueSheet("FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:05\n"
                      "TRACK 02 AUDIO\nINDEX 01 00:00:01\n",
                      error));
    EXPECT_EQ(error, "line 5: INDEX 01 goes back");
    EXPECT_FALSE(parseCueSheet("FILE \"a b.wav\" WAVE\nTRACK 01 AUDIO\n", error));
    EXPECT_EQ(error, "track 1 has no INDEX 01");
    auto sheet = parseCueSheet("FILE \"a b.wav\" WAVE\n\nTRACK 01 AUDIO\nINDEX 01 01:02:03", error);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->files.at(0).name, "a b.wav");
    EXPECT_EQ(sheet->tracks.at(0).index01, (60 + 2) * 75 + 3);
}

// A second has 75 frames and a minute 60 seconds, in every time a sheet gives.
TEST(CueSheet, TimesHoldAtMost59SecondsAnd74Frames) {
    std::string error;
    for (const std::string command : {"INDEX 01", "PREGAP", "POSTGAP"}) {
        const bool index = command == "INDEX 01";
        auto sheet = [&](const char* time) {
            return parseCueSheet("FILE a.wav WAVE\nTRACK 01 AUDIO\n" +
                                     std::string(index ? "" : "INDEX 01 00:00:00\n") + command +
                                     " " + time + "\n",
                                 error);
        };
        for (const char* bad : {"00:00:75", "00:60:00", "00:61:00", "01:00:99", "00:5:-1"}) {
            EXPECT_FALSE(sheet(bad)) << command << " " << bad;
            EXPECT_EQ(error.rfind(index ? "line 3: bad" : "line 4: bad", 0), 0u) << error;
        }
        const auto good = sheet("12:59:74");
        ASSERT_TRUE(good) << command << ": " << error;
        const CueTrack& track = good->tracks.at(0);
        const int frames = index                 ? track.index01
                           : command == "PREGAP" ? track.pregap
                                                 : track.postgap;
        EXPECT_EQ(frames, (12 * 60 + 59) * 75 + 74) << command;
    }
}

}  // namespace
