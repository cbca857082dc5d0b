// The track list window over a scripted drive: what it shows, what closing it saves, and what a
// double-click sends to the drive.
#include <gtest/gtest.h>

#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <string>
#include <vector>

#include "app/Main.h"
#include "forms/Tracks.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/FakeDrive.h"
#include "platform/mci/Mci.h"
#include "platform/profile/IniFile.h"
#include "tests/support/TestSupport.h"

using namespace corvina;

namespace {

constexpr int kMinute = 60 * 75;

class TracksTest : public ::testing::Test {
protected:
    void SetUp() override {
        QFile::remove(titleFile());
        mci::resetForTesting();
        std::vector<std::unique_ptr<cd::Drive>> drives;
        drives.push_back(
            std::make_unique<cd::FakeDrive>(std::vector<int>{kMinute, kMinute, kMinute}));
        cd::DriveSet::install(std::move(drives));
        main = std::make_unique<TFormMain>();
        mci::sendString("open cdaudio alias CorvinaCD wait shareable");
        mci::sendString("set CorvinaCD time format tmsf wait");
        // What the main window's tick leaves for an unnamed disc of three tracks.
        main->DiscPresent = true;
        main->TrackCount = "3";
        main->DiscSerial = "12ABCD";
        main->DiscArtist = "Artist";
        main->DiscAlbum = "Album";
        mci::setCommandObserver([this](std::string_view command, unsigned, std::string_view) {
            sent.emplace_back(command);
        });
    }
    void TearDown() override {
        mci::setCommandObserver({});
        main.reset();
        mci::resetForTesting();
    }

    static QString titleFile() { return discTitleFilePath(); }
    static QByteArray titleBytes() {
        QFile f(titleFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no file>");
    }
    static void clickRow(TFormTracks& form, int row, bool twice = false) {
        const QPoint at = form.ListBox->visualItemRect(form.ListBox->item(row)).center();
        if (twice)
            QTest::mouseDClick(form.ListBox->viewport(), Qt::LeftButton, {}, at);
        else
            QTest::mouseClick(form.ListBox->viewport(), Qt::LeftButton, {}, at);
    }
    static QStringList rows(const TFormTracks& form) {
        QStringList texts;
        for (int i = 0; i < form.ListBox->count(); ++i) texts << form.ListBox->item(i)->text();
        return texts;
    }

    std::unique_ptr<TFormMain> main;
    std::vector<std::string> sent;
};

TEST_F(TracksTest, ListsTrackNamesByKeyZeroForTrackOneWithDefaultsForTheRest) {
    TIniFile(titleFile()).writeString("12abcd", "1", QStringLiteral("晴天"));
    main->DiscArtist = QStringLiteral("周杰伦");
    TFormTracks form(main.get());
    EXPECT_EQ(form.CDArtist->text(), QStringLiteral("周杰伦"));
    EXPECT_EQ(form.CDTitle->text(), "Album");
    EXPECT_EQ(form.CDSerial->text(), "12ABCD");
    EXPECT_EQ(rows(form), QStringList({"Track 1", QStringLiteral("晴天"), "Track 3"}));
    EXPECT_EQ(form.selectedRow(), -1);
    EXPECT_EQ(form.TrackNo->text(), "No.");
    EXPECT_EQ(form.NameEdit->text(), "");
}

TEST_F(TracksTest, UnnamedRowsOfferTheDiscsOwnNamesAndSaveThem) {
    cd::CdText text;
    text.trackTitles = {QStringLiteral("第一首"), QString()};
    static_cast<cd::FakeDrive*>(cd::DriveSet::instance().defaultDrive())->setCdText(text);
    TIniFile(titleFile()).writeString("12ABCD", "0", QStringLiteral("晴天"));
    TFormTracks form(main.get());
    // The title file wins; the disc names track 2 nothing, track 3 not at all.
    EXPECT_EQ(rows(form), QStringList({QStringLiteral("晴天"), "Track 2", "Track 3"}));
    QFile::remove(titleFile());
    TFormTracks fresh(main.get());
    EXPECT_EQ(rows(fresh), QStringList({QStringLiteral("第一首"), "Track 2", "Track 3"}));
    fresh.show();
    fresh.ListBox->setCurrentRow(1);
    fresh.close();
    EXPECT_EQ(TIniFile(titleFile()).readString("12ABCD", "0", ""), QStringLiteral("第一首"));
}

TEST_F(TracksTest, ClosingWithoutASelectedRowWritesNothingEvenAfterEdits) {
    for (bool disc : {false, true}) {
        main->DiscPresent = disc;
        TFormTracks form(main.get());
        form.show();
        EXPECT_EQ(form.ListBox->count(), disc ? 3 : 0);
        EXPECT_EQ(form.CDSerial->text(), disc ? "12ABCD" : "");
        form.CDArtist->setText("Edited");
        form.NameEdit->setText("goes nowhere");
        form.close();
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(titleBytes(), "<no file>");
    }
}

TEST_F(TracksTest, ClosingAfterSelectingARowSavesEveryRowDefaultsAndEmptiedNamesIncluded) {
    TFormTracks form(main.get());
    form.show();
    clickRow(form, 1);
    EXPECT_EQ(form.TrackNo->text(), "2");
    EXPECT_EQ(form.NameEdit->text(), "Track 2");
    // A name typed through the input method.
    form.NameEdit->selectAll();
    QInputMethodEvent typed;
    typed.setCommitString(QStringLiteral("晴天"));
    QCoreApplication::sendEvent(form.NameEdit, &typed);
    EXPECT_EQ(form.ListBox->item(1)->text(), QStringLiteral("晴天"));
    // The arrow key moves on; the name field follows, and emptying it empties the row.
    form.ListBox->setFocus();
    QTest::keyClick(form.ListBox, Qt::Key_Down);
    EXPECT_EQ(form.TrackNo->text(), "3");
    EXPECT_EQ(form.NameEdit->text(), "Track 3");
    form.NameEdit->clear();
    EXPECT_EQ(rows(form), QStringList({"Track 1", QStringLiteral("晴天"), ""}));

    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(titleBytes(), "[12ABCD]\r\nArtist=Artist\r\nTitle=Album\r\n0=Track 1\r\n1=" +
                                QByteArray::fromHex("c7e7ccec") + "\r\n2=\r\n");
    // The emptied name is a name now: the main window's default no longer applies.
    EXPECT_EQ(TIniFile(titleFile()).readString("12ABCD", "2", "Track 03"), "");
}

TEST_F(TracksTest, SavesTheDiscItWasOpenedForWhenTheDriveChangedMeanwhile) {
    TFormTracks form(main.get());
    form.show();
    clickRow(form, 0);
    main->DiscPresent = false;  // the disc was taken out
    main->TrackCount = "";
    main->DiscSerial = "99";
    test::ErrorCapture errors;
    form.close();
    EXPECT_TRUE(errors.messages().isEmpty());
    EXPECT_EQ(
        titleBytes(),
        "[12ABCD]\r\nArtist=Artist\r\nTitle=Album\r\n0=Track 1\r\n1=Track 2\r\n2=Track 3\r\n");
}

TEST_F(TracksTest, AFailingSaveIsReportedAndASecondFailureLetsTheWindowClose) {
    const QByteArray unwritable = QFile::encodeName(test::scratchDir() + "/no/such/CorvinaCD.ini");
    qputenv("CORVINA_TITLE_FILE", unwritable);
    TFormTracks form(main.get());
    form.show();
    clickRow(form, 2);
    test::ErrorCapture errors;
    form.close();
    EXPECT_TRUE(form.isVisible());
    form.close();
    EXPECT_FALSE(form.isVisible());
    qputenv("CORVINA_TITLE_FILE", QFile::encodeName(test::scratchDir() + "/CorvinaCD.ini"));
    const QString message = "Unable to write to " + QFile::decodeName(unwritable);
    EXPECT_EQ(errors.messages(), QStringList({message, message}));
}

TEST_F(TracksTest, DoubleClickPlaysTheTrackFromItsStartAndLeavesThePlayFlags) {
    TFormTracks form(main.get());
    form.show();
    main->Playing = false;  // the user had stopped the disc
    main->Paused = false;
    main->Stopped = true;
    sent.clear();
    clickRow(form, 2, true);
    EXPECT_EQ(sent, (std::vector<std::string>{"stop CorvinaCD wait", "seek CorvinaCD to 3",
                                              "play CorvinaCD"}));
    char reply[32] = {};
    mci::sendString("status CorvinaCD position", reply, sizeof reply);
    EXPECT_EQ(std::string(reply), "03:00:00:00");
    mci::sendString("status CorvinaCD mode", reply, sizeof reply);
    EXPECT_EQ(std::string(reply), "playing");
    EXPECT_TRUE(!main->Playing && !main->Paused && main->Stopped);

    // The disc went away while the window was open.
    main->DiscPresent = false;
    sent.clear();
    clickRow(form, 1, true);
    EXPECT_TRUE(sent.empty());
}

}  // namespace
