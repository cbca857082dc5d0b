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

using namespace corvina::cd;

namespace {

void putLe(QByteArray& out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.append(char(value >> (8 * i)));
}

// A 16-bit PCM WAV of `frames` frames whose samples are all `value`.
QByteArray wav(int frames, qint16 value, int rate = 44100, int channels = 2) {
    QByteArray data;
    for (int i = 0; i < frames * channels; ++i) putLe(data, quint16(value), 2);
    QByteArray out("RIFF");
    putLe(out, 36 + data.size(), 4);
    out += "WAVEfmt ";
    putLe(out, 16, 4);
    putLe(out, 1, 2);
    putLe(out, channels, 2);
    putLe(out, rate, 4);
    putLe(out, rate * channels * 2, 4);
    putLe(out, channels * 2, 2);
    putLe(out, 16, 2);
    out += "data";
    putLe(out, data.size(), 4);
    return out + data;
}

class DiscImageTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    void write(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
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

    QTemporaryDir dir;
    QString error;
};

TEST_F(DiscImageTest, FolderTracksFollowNumericNameOrderFromTheLeadIn) {
    QDir().mkpath(path("rip"));
    write("rip/10 last.wav", wav(588 * 3, 3000));
    write("rip/2 middle.WAV", wav(588 * 2 + 100, 2000, 44100, 1));
    write("rip/1 first.wav", wav(588 * 4, 1000));
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

TEST_F(DiscImageTest, CueSheetWithOneFilePerTrackHonoursItsFileLines) {
    write("a.wav", wav(588 * 5, 10));
    write("b.wav", wav(588 * 3, 20));
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
    write("48k.wav", wav(588 * 2, 5, 48000));
    write("truncated.wav", wav(588 * 20, 5).left(44 + 1000));
    write("garbage.cue", "\x01\x02 what is this\n");
    write("none.cue", "REM nothing here\n");
    write("missing.cue", "FILE \"gone.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n");
    QByteArray many = "FILE \"48k.wav\" WAVE\n";
    for (int t = 1; t <= 100; ++t)
        many += QByteArray("TRACK ") + QByteArray::number(t) + " AUDIO\nINDEX 01 00:00:00\n";
    write("many.cue", many);
    QDir().mkpath(path("empty"));
    QDir().mkpath(path("highrate"));
    write("highrate/1.wav", wav(588, 5, 96000));

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

    // A cut-off file plays what it holds; reading past it is silence, not a crash.
    auto cut = load("truncated.wav");
    ASSERT_TRUE(cut) << error.toStdString();
    ASSERT_EQ(cut->toc().trackCount(), 1);
    // 1000 bytes hold 250 stereo frames: the first sector starts with them, then silence.
    std::vector<std::int16_t> s(2 * kSamplesPerSector, -1);
    cut->readSector(cut->toc().firstFrame(), s.data());
    EXPECT_EQ(s[0], 5);
    EXPECT_EQ(s[2 * 249 + 1], 5);
    EXPECT_EQ(s[2 * 250], 0);
    EXPECT_EQ(s[2 * kSamplesPerSector - 1], 0);
    for (int f = cut->toc().firstFrame() + 1; f < cut->toc().leadOut + 5; ++f) {
        std::fill(s.begin(), s.end(), std::int16_t(-1));
        cut->readSector(f, s.data());
        ASSERT_TRUE(std::all_of(s.begin(), s.end(), [](std::int16_t v) { return v == 0; }))
            << "frame " << f;
    }

    // A drive given a bad disc is an empty drive.
    auto drive = VirtualDrive::forPath(path("garbage.cue"));
    EXPECT_FALSE(drive->toc());
    EXPECT_FALSE(drive->play(150, 160));
}

TEST(CueSheet, ReportsTheLineOfAMistake) {
    std::string error;
    EXPECT_FALSE(parseCueSheet("FILE \"a.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:61:00\n", error));
    EXPECT_EQ(error, "line 3: bad INDEX");
    // Seconds run to 59 and frames to 74; one more in either field is a mistake.
    for (const char* time : {"00:60:00", "00:00:75", "00:59:75", "00:00", "0a:00:00", ":00:00"}) {
        EXPECT_FALSE(parseCueSheet(std::string("FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 ") +
                                       time + "\n",
                                   error))
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

}  // namespace

namespace {

// What CORVINA_DISC chooses (this machine has no CD drive the tests could rely on).
TEST(Probe, ConfiguredDiscEmptyDriveOrDemoDisc) {
    const QByteArray saved = qgetenv("CORVINA_DISC");
    const bool wasSet = qEnvironmentVariableIsSet("CORVINA_DISC");
    QTemporaryDir dir;
    QFile file(QDir(dir.path()).filePath("1.wav"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(wav(588 * 75, 7));
    file.close();

    qputenv("CORVINA_DISC", dir.path().toLocal8Bit());
    auto drives = probeDrives();
    ASSERT_EQ(drives.size(), 1u);
    ASSERT_TRUE(drives[0]->toc());
    EXPECT_EQ(drives[0]->toc()->leadOut, 150 + 75);

    qputenv("CORVINA_DISC", "");
    drives = probeDrives();
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_FALSE(drives[0]->toc());

    qunsetenv("CORVINA_DISC");
    drives = probeDrives();
    ASSERT_FALSE(drives.empty());
    if (drives.size() == 1) {  // no real drive: the demo disc
        ASSERT_TRUE(drives[0]->toc());
        EXPECT_GE(drives[0]->toc()->trackCount(), 4);
    }
    if (wasSet) qputenv("CORVINA_DISC", saved);
}

}  // namespace
