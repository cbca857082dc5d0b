// The names rips and the demo disc carry: cue sheets in UTF-8 and GBK, the tags of a folder's
// files, and which one wins.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <vector>

#include "platform/cd/DemoDisc.h"
#include "platform/cd/DiscImage.h"
#include "platform/cd/DiscNames.h"
#include "tests/support/TestSupport.h"

using namespace corvina::cd;

namespace {

struct Tags {
    const char* title = nullptr;
    const char* artist = nullptr;
    const char* album = nullptr;
};

class RipNamesTest : public ::testing::Test, public corvina::test::TempFolder {
protected:
    // One second of quiet in a WAV or FLAC file carrying these tags (raw bytes, as a tagging
    // program wrote them).
    void audio(const QString& name, int format, const Tags& tags) {
        SF_INFO info{};
        info.samplerate = 44100;
        info.channels = 2;
        info.format = format;
        SNDFILE* file = sf_open(QFile::encodeName(path(name)).constData(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
        if (tags.title) sf_set_string(file, SF_STR_TITLE, tags.title);
        if (tags.artist) sf_set_string(file, SF_STR_ARTIST, tags.artist);
        if (tags.album) sf_set_string(file, SF_STR_ALBUM, tags.album);
        std::vector<short> quiet(2 * 44100);
        sf_writef_short(file, quiet.data(), 44100);
        sf_close(file);
    }
    DiscNames names(const QString& name) {
        QString error;
        auto disc = loadDiscImage(path(name), error);
        EXPECT_TRUE(disc) << error.toStdString();
        return disc ? namesFromText(disc->cdText()) : DiscNames();
    }
    static QByteArray sheet(const QString& performer, const QString& album,
                            const QStringList& titles) {
        QString text = "PERFORMER \"" + performer + "\"\r\nTITLE \"" + album + "\"\r\n";
        for (int i = 0; i < titles.size(); ++i) {
            text += QStringLiteral("FILE \"%1.wav\" WAVE\r\n  TRACK %2 AUDIO\r\n")
                        .arg(i + 1)
                        .arg(i + 1);
            if (!titles[i].isEmpty()) text += "    TITLE \"" + titles[i] + "\"\r\n";
            text += "    INDEX 01 00:00:00\r\n";
        }
        return text.toUtf8();
    }
    static const int kWav = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    static const int kFlac = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
};

TEST_F(RipNamesTest, CueSheetsReadInUtf8AndInGbk) {
    audio("1.wav", kWav, {});
    audio("2.wav", kWav, {});
    const QString artist = QStringLiteral("王菲");
    // "一" in GBK is the two bytes D2 BB, which are valid UTF-8 on their own: the rest of the
    // sheet decides.
    const QStringList titles{QStringLiteral("一"), QStringLiteral("晴天 Sunny")};
    write("utf8.cue", sheet(artist, QStringLiteral("唱游"), titles));
    QStringEncoder toGbk("GBK");
    ASSERT_TRUE(toGbk.isValid());
    write("gbk.cue",
          toGbk.encode(QString::fromUtf8(sheet(artist, QStringLiteral("唱游"), titles))));
    write("bom.cue", "\xEF\xBB\xBF" + sheet(artist, QStringLiteral("唱游"), titles));
    for (const char* name : {"utf8.cue", "gbk.cue", "bom.cue"}) {
        SCOPED_TRACE(name);
        const DiscNames n = names(name);
        EXPECT_EQ(n.artist, artist);
        EXPECT_EQ(n.album, QStringLiteral("唱游"));
        EXPECT_EQ(n.track(1), QStringLiteral("一"));
        EXPECT_EQ(n.track(2), QStringLiteral("晴天 Sunny"));
        EXPECT_EQ(n.track(3), QString());
    }
}

TEST_F(RipNamesTest, DecidingOnceForTheWholeDisc) {
    EXPECT_TRUE(allUtf8({"plain", "\xE7\x8E\x8B", ""}));
    EXPECT_FALSE(allUtf8({"\xD2\xBB", "\xCD\xF5"}));  // GBK 一 (valid UTF-8) and 王 (not)
    EXPECT_EQ(decodeName("\xD2\xBB", false), QStringLiteral("一"));
    EXPECT_EQ(decodeName("\x81\x30\x84\x38", false), QStringLiteral("\u00A9"));  // GB18030 only
}

TEST_F(RipNamesTest, FolderNamesComeFromTheFilesTags) {
    QDir().mkpath(path("rip"));
    audio("rip/01.flac", kFlac, {"晨曦", "林忆莲", "夜太黑"});
    audio("rip/02.flac", kFlac, {"Sunset", "林忆莲", nullptr});
    audio("rip/03.wav", kWav, {});
    const DiscNames n = names("rip");
    EXPECT_EQ(n.artist, QStringLiteral("林忆莲"));
    EXPECT_EQ(n.album, QStringLiteral("夜太黑"));
    EXPECT_EQ(n.track(1), QStringLiteral("晨曦"));
    EXPECT_EQ(n.track(2), QStringLiteral("Sunset"));
    EXPECT_EQ(n.track(3), QString());
}

TEST_F(RipNamesTest, FolderWithSeveralArtistsOrGbkTags) {
    QDir().mkpath(path("mix"));
    audio("mix/1.wav", kWav, {"\xB5\xDA\xD2\xBB\xCA\xD7", "\xCD\xF5\xB7\xC6", nullptr});  // GBK
    audio("mix/2.wav", kWav, {"Two", "Other", nullptr});
    const DiscNames n = names("mix");
    EXPECT_EQ(n.artist, QString());  // no one artist: the disc names none
    EXPECT_EQ(n.track(1), QStringLiteral("第一首"));
    EXPECT_EQ(n.track(2), QStringLiteral("Two"));
}

TEST_F(RipNamesTest, TheSheetWinsOverTagsWhichFillWhatItLeavesOut) {
    audio("1.wav", kWav, {"Tag One", "Tag Artist", "Tag Album"});
    audio("2.wav", kWav, {"Tag Two", "Tag Artist", nullptr});
    write("disc.cue", sheet(QString(), QStringLiteral("Sheet Album"),
                            {QStringLiteral("Sheet One"), QString()}));
    DiscNames n = names("disc.cue");
    EXPECT_EQ(n.album, QStringLiteral("Sheet Album"));
    EXPECT_EQ(n.artist, QStringLiteral("Tag Artist"));  // PERFORMER "" names nobody
    EXPECT_EQ(n.track(1), QStringLiteral("Sheet One"));
    EXPECT_EQ(n.track(2), QStringLiteral("Tag Two"));
}

TEST(DemoDiscNames, TheDemoDiscNamesItselfInChinese) {
    const DiscNames n = namesFromText(makeDemoDisc()->cdText());
    EXPECT_EQ(n.artist, QStringLiteral("鸦林小乐队"));
    EXPECT_EQ(n.album, QStringLiteral("晨昏小品"));
    ASSERT_EQ(n.tracks.size(), 4u);
    EXPECT_EQ(n.track(1), QStringLiteral("晨光"));
    EXPECT_EQ(n.track(4), QStringLiteral("黄昏"));
}

}  // namespace
