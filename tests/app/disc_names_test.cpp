// Names the disc carries itself stand in for the title file's defaults in the poll; the title
// file always wins, and a disc naming nothing shows exactly the old defaults.
#include "components/ScrollingText.h"
#include "platform/cd/DiscNames.h"
#include "platform/profile/IniFile.h"
#include "tests/app/MainFixture.h"

#include <QFile>

namespace corvina::test {
namespace {

class DiscNamesTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        QFile::remove(discTitleFilePath());
    }
    TFormMain& startWith(std::optional<cd::CdText> text) {
        insertDrive({3 * kMinute, 3 * kMinute, 3 * kMinute});
        drive_->setCdText(std::move(text));
        writeSettings();
        TFormMain& form = start();
        tick();
        return form;
    }
    static cd::CdText text() {
        cd::CdText t;
        t.performer = QStringLiteral("王菲");
        t.title = QStringLiteral("唱游");
        t.trackTitles = {QStringLiteral("打错了"), QString(), QStringLiteral("  ")};
        return t;
    }
    QString section() const { return form_->DiscSerial; }
};

TEST_F(DiscNamesTest, DiscNamesStandInForEachMissingDefaultAndTheTitleFileWins) {
    TFormMain& form = startWith(text());
    EXPECT_EQ(form.ScrollText->Text(), QStringLiteral("王菲 - 唱游 - 打错了"));
    EXPECT_EQ(form.ScrollText->Hint(), QStringLiteral("王菲 - 唱游\n\n打错了\n01 03:00"));

    // A track the disc leaves unnamed (or names with blanks only) keeps the old default.
    drive_->advance(3 * kMinute + kSecond);
    tick();
    tick();
    EXPECT_EQ(form.ScrollText->Text(), QStringLiteral("王菲 - 唱游 - Track 02"));

    // A partial section: what it names wins, the rest still comes from the disc; an empty
    // value in the file is a name too.
    TIniFile titles(discTitleFilePath());
    titles.writeString(section(), "Title", QStringLiteral("我的专辑"));
    titles.writeString(section(), "1", QString());
    tick();
    EXPECT_EQ(form.ScrollText->Text(), QStringLiteral("王菲 - 我的专辑 - "));
    titles.writeString(section(), "Artist", QStringLiteral("Faye"));
    titles.writeString(section(), "1", QStringLiteral("第二首"));
    tick();
    EXPECT_EQ(form.ScrollText->Text(), QStringLiteral("Faye - 我的专辑 - 第二首"));
}

TEST_F(DiscNamesTest, WithoutDiscNamesTheDefaultsAreExactlyAsBefore) {
    TFormMain& form = startWith(std::nullopt);
    EXPECT_EQ(form.ScrollText->Text(), QStringLiteral("Artist - Album - Track 01"));
    EXPECT_EQ(form.ScrollText->Hint(), QStringLiteral("Artist - Album\n\nTrack 01\n01 03:00"));
    const cd::DiscNames empty = cd::namesFromText(cd::CdText());
    EXPECT_TRUE(empty.artist.isEmpty() && empty.album.isEmpty() && empty.track(1).isEmpty());
}

TEST_F(DiscNamesTest, TrackPerformersAgreeingNameTheDiscsArtist) {
    cd::CdText t;
    t.trackPerformers = {QStringLiteral("陈奕迅"), QStringLiteral("陈奕迅 ")};
    EXPECT_EQ(cd::namesFromText(t).artist, QStringLiteral("陈奕迅"));
    t.trackPerformers.push_back(QStringLiteral("王菲"));
    EXPECT_EQ(cd::namesFromText(t).artist, QString());
    t.performer = QStringLiteral("群星");
    EXPECT_EQ(cd::namesFromText(t).artist, QStringLiteral("群星"));
}

TEST_F(DiscNamesTest, NamesComeFromTheDiscTheSerialNames) {
    // The detected drive is empty: the serial and the names both come from the default drive.
    TFormMain& form = startWith(text());
    form.DriveRoot = QStringLiteral("Q:");
    tick();
    EXPECT_EQ(form.DiscArtist, QStringLiteral("王菲"));
    drive_->setDisc(std::nullopt);
    EXPECT_TRUE(cd::discNames(form.DriveRoot).artist.isEmpty());
}

}  // namespace
}  // namespace corvina::test
