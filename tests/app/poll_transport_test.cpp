// The CD poll and the transport commands, against a scripted drive: the exact commands sent and
// what the window shows.
#include <QTime>

#include "components/LCD.h"
#include "components/ScrollingText.h"
#include "platform/mci/Mci.h"
#include "tests/app/MainFixture.h"

namespace corvina::test {
namespace {

class PollTest : public MainWindowTest {
protected:
    // A nine-track disc of three-minute tracks, playing from the start.
    TFormMain& startNineTracks() {
        insertDrive(std::vector<int>(9, 3 * kMinute));
        writeSettings();
        return start();
    }
    // Moves the disc on and lets one tick see it.
    void play(int frames) {
        drive_->advance(frames);
        tick();
        takeCommands();
    }
};

TEST_F(PollTest, ShowsTrackCountUnpaddedAndTheTrackOnTheLcd) {
    TFormMain& form = startNineTracks();
    play(6 * kMinute + 25 * kSecond);  // 25 s into track 3
    EXPECT_EQ(form.LabelTrack->Caption(), QStringLiteral("03/9"));
    EXPECT_EQ(form.TrackNo, QStringLiteral("03"));
    EXPECT_EQ(form.PositionText, QStringLiteral("00:25"));
    EXPECT_EQ(form.LCDTrack->Value(), 3);
    EXPECT_EQ(form.LCDTime1->Value(), 0);
    EXPECT_EQ(form.LCDTime2->Value(), 25);
    EXPECT_EQ(form.LabelTime->Caption(), QStringLiteral("03:00/27:00"));
}

TEST_F(PollTest, ClockShowsTheLocalTimeWithSeconds) {
    TFormMain& form = startNineTracks();
    // The tick may fall on either side of a second's change.
    const QString before = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    tick();
    const QString after = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    const QString shown = form.LabelSysTime->Caption();
    EXPECT_TRUE(shown == before || shown == after) << shown.toStdString();
    EXPECT_EQ(shown.size(), 8);
}

TEST_F(PollTest, NamesFollowTheTrackShownOneTickLate) {
    TFormMain& form = startNineTracks();
    EXPECT_EQ(form.ScrollText->Text(), QStringLiteral("Artist - Album - Track "));
    tick();
    EXPECT_EQ(form.ScrollText->Text(), QStringLiteral("Artist - Album - Track 01"));
    EXPECT_EQ(form.ScrollText->Hint(), QStringLiteral("Artist - Album\n\nTrack 01\n01 03:00"));
    play(3 * kMinute + kSecond);
    EXPECT_EQ(form.ScrollText->Text(), QStringLiteral("Artist - Album - Track 01"));
    tick();
    EXPECT_EQ(form.ScrollText->Text(), QStringLiteral("Artist - Album - Track 02"));
}

TEST_F(PollTest, StateIconBlinksAndPauseShowsPaused) {
    TFormMain& form = startNineTracks();
    const bool shown = !form.IconPlaying->isHidden();
    tick();
    EXPECT_EQ(!form.IconPlaying->isHidden(), !shown);
    takeCommands();
    form.CDPause(nullptr);
    EXPECT_EQ(takeCommands().first(), QStringLiteral("stop CorvinaCD wait"));
    EXPECT_EQ(form.LabelStatus->Caption(), QStringLiteral("已暂停"));
    EXPECT_TRUE(form.IconPlaying->isHidden());
    const bool paused = !form.IconPaused->isHidden();
    tick();
    EXPECT_EQ(!form.IconPaused->isHidden(), !paused);
}

TEST_F(PollTest, ApplicationTitleFollowsTheViewAndMinimising) {
    TFormMain& form = startNineTracks();
    play(3 * kMinute + 85 * kSecond);  // 01:25 into track 2
    EXPECT_EQ(form.ApplicationTitle(), QStringLiteral("Corvina CD 播放器"));
    form.PortivoView = true;
    tick();
    EXPECT_EQ(form.ApplicationTitle(), QStringLiteral("Corvina CD 播放器 - [02 01:25]"));
    form.PortivoView = false;
    form.Minimized = true;
    tick();
    EXPECT_EQ(form.ApplicationTitle(), QStringLiteral("Corvina CD 播放器 - [02 01:25]"));
    drive_->setDisc(std::nullopt);
    tick();  // no disc now; the title still uses what the previous tick saw
    tick();
    EXPECT_EQ(form.ApplicationTitle(), QStringLiteral("Corvina CD 播放器"));
}

TEST_F(PollTest, PreviousAndNextWrapAroundTheDisc) {
    TFormMain& form = startNineTracks();
    form.CDPrevious(nullptr);
    EXPECT_EQ(takeCommands().first(), QStringLiteral("play CorvinaCD from 9"));
    EXPECT_EQ(form.TrackNo, QStringLiteral("09"));
    form.CDNext(nullptr);
    EXPECT_EQ(takeCommands().first(), QStringLiteral("play CorvinaCD from 1"));
    play(4 * 3 * kMinute + 70 * kSecond);  // middle of track 5
    form.CDPrevious(nullptr);
    EXPECT_EQ(takeCommands().first(), QStringLiteral("play CorvinaCD from 4"));
    EXPECT_EQ(form.PositionText, QStringLiteral("00:00"));
}

TEST_F(PollTest, PausedThenNextOnlySeeksAndPlayStartsThere) {
    TFormMain& form = startNineTracks();
    play(2 * 3 * kMinute + 30 * kSecond);  // track 3
    form.CDPause(nullptr);
    takeCommands();
    form.CDNext(nullptr);
    EXPECT_EQ(takeCommands().first(), QStringLiteral("seek CorvinaCD to 4"));
    EXPECT_EQ(form.LabelStatus->Caption(), QStringLiteral("已暂停"));
    EXPECT_FALSE(drive_->isPlaying());
    form.CDPlay(nullptr);
    EXPECT_EQ(takeCommands().first(), QStringLiteral("play CorvinaCD"));
    EXPECT_EQ(form.LabelTrack->Caption(), QStringLiteral("04/9"));
    EXPECT_TRUE(drive_->isPlaying());
}

TEST_F(PollTest, RewindNearTheStartSendsANegativePositionAndNothingMoves) {
    TFormMain& form = startNineTracks();
    play(3 * kSecond);  // 5000 ms from the start of the disc
    form.CDRewind(nullptr);
    const QStringList sent = takeCommands();
    EXPECT_EQ(
        sent.mid(0, 4),
        (QStringList{"set CorvinaCD time format milliseconds", "status CorvinaCD position wait",
                     "play CorvinaCD from -5000", "set CorvinaCD time format tmsf"}));
    EXPECT_EQ(form.PositionText, QStringLiteral("00:03"));
    form.CDForward(nullptr);
    EXPECT_EQ(takeCommands().at(2), QStringLiteral("play CorvinaCD from 15000"));
    EXPECT_EQ(form.PositionText, QStringLiteral("00:13"));
}

TEST_F(PollTest, RewindAndForwardWhilePausedOrStoppedOnlySeek) {
    TFormMain& form = startNineTracks();
    play(3 * kMinute + 40 * kSecond);  // 00:40 into track 2
    for (auto halt : {&TFormMain::CDPause, &TFormMain::CDStop}) {
        (form.*halt)(nullptr);
        const QString status = form.LabelStatus->Caption();
        for (auto step : {&TFormMain::CDForward, &TFormMain::CDRewind}) {
            takeCommands();
            (form.*step)(nullptr);
            const QStringList sent = takeCommands();
            ASSERT_GE(sent.size(), 3);
            EXPECT_TRUE(sent.at(2).startsWith("seek CorvinaCD to ")) << sent.at(2).toStdString();
            EXPECT_FALSE(sent.filter("play").size()) << sent.join(", ").toStdString();
            EXPECT_FALSE(drive_->isPlaying());
            EXPECT_FALSE(form.Playing);
            EXPECT_EQ(form.LabelStatus->Caption(), status);
            tick();  // the next poll does not start it either
            EXPECT_FALSE(drive_->isPlaying());
        }
    }
}

TEST_F(PollTest, StopThenPlayRestartsTheTrack) {
    TFormMain& form = startNineTracks();
    play(3 * kMinute + 40 * kSecond);
    form.CDStop(nullptr);
    EXPECT_EQ(takeCommands().mid(0, 2),
              (QStringList{"stop CorvinaCD wait", "seek CorvinaCD to 02"}));
    EXPECT_EQ(form.LabelStatus->Caption(), QStringLiteral("已停止"));
    form.CDPlay(nullptr);
    EXPECT_EQ(form.TrackNo, QStringLiteral("02"));
    EXPECT_EQ(form.PositionText, QStringLiteral("00:00"));
}

TEST_F(PollTest, EjectThenEjectAgainPlaysByItselfAtTheNextTick) {
    TFormMain& form = startNineTracks();
    play(20 * kSecond);
    form.CDEject(nullptr);
    EXPECT_EQ(takeCommands(),
              (QStringList{"stop CorvinaCD wait", "seek CorvinaCD to 01",
                           "status CorvinaCD media present", "status CorvinaCD number of tracks",
                           "status CorvinaCD length wait", "status CorvinaCD position",
                           "status CorvinaCD length track 01", "set CorvinaCD door open",
                           "status CorvinaCD media present"}));
    EXPECT_EQ(form.LabelStatus->Caption(), QStringLiteral("无碟"));
    EXPECT_FALSE(form.DoorClosed);
    form.CDEject(nullptr);
    EXPECT_EQ(takeCommands(),
              (QStringList{"set CorvinaCD door closed", "status CorvinaCD media present",
                           "status CorvinaCD number of tracks", "play CorvinaCD",
                           "status CorvinaCD length wait", "status CorvinaCD position",
                           "status CorvinaCD length track 01"}));
    EXPECT_TRUE(form.Playing);
    EXPECT_EQ(form.LabelStatus->Caption(), QStringLiteral("正在播放..."));
}

TEST_F(PollTest, DataDiscAndMissingDiscIgnoreTransport) {
    insertDrive({20 * kMinute});
    writeSettings();
    TFormMain& form = start();
    EXPECT_EQ(form.LabelStatus->Caption(), QStringLiteral("Data Disc"));
    for (auto command :
         {&TFormMain::CDPlay, &TFormMain::CDPause, &TFormMain::CDStop, &TFormMain::CDPrevious,
          &TFormMain::CDNext, &TFormMain::CDRewind, &TFormMain::CDForward})
        (form.*command)(nullptr);
    EXPECT_TRUE(takeCommands().isEmpty());
    form.CDEject(nullptr);
    EXPECT_EQ(takeCommands().first(), QStringLiteral("set CorvinaCD door open"));
}

TEST_F(PollTest, ARefusingDriveLeavesTheNoDiscDisplayWithoutErrors) {
    insertDrive(std::vector<int>(9, 3 * kMinute)).setVanished(true);
    writeSettings();
    TFormMain& form = start();
    tick();
    form.CDEject(nullptr);
    form.CDEject(nullptr);
    EXPECT_EQ(form.LabelStatus->Caption(), QStringLiteral("无碟"));
    EXPECT_EQ(form.LabelTrack->Caption(), QStringLiteral("00/00"));
    EXPECT_EQ(form.LCDTrack->Value(), 0);
    EXPECT_TRUE(errors_->messages().isEmpty());
}

TEST_F(PollTest, GarbageRepliesAreReportedOnceAndTheNextTickStartsAfresh) {
    TFormMain& form = startNineTracks();
    bool garbage = true;
    mci::setReplyFilter([&](std::string_view command, std::string& reply) {
        if (garbage && command.starts_with("status CorvinaCD position")) reply = "xx";
    });
    runHandler([&] { form.CDRewind(nullptr); });
    EXPECT_EQ(errors_->messages(), QStringList{"'xx' is not a valid integer value"});
    // The device was put back into TMSF before the command was abandoned.
    EXPECT_EQ(takeCommands(),
              (QStringList{"set CorvinaCD time format milliseconds",
                           "status CorvinaCD position wait", "set CorvinaCD time format tmsf"}));
    // Through the timer: one report per tick, and the tick after recovers.
    QMetaObject::invokeMethod(form.TimerCD, "timeout");
    EXPECT_EQ(errors_->messages().size(), 2);
    garbage = false;
    QMetaObject::invokeMethod(form.TimerCD, "timeout");
    EXPECT_EQ(errors_->messages().size(), 2);
    EXPECT_EQ(form.LabelTrack->Caption(), QStringLiteral("01/9"));
}

TEST_F(PollTest, EjectOpensTheTrayEvenWhenTheStopCannotReadThePosition) {
    TFormMain& form = startNineTracks();
    mci::setReplyFilter([](std::string_view command, std::string& reply) {
        if (command == "status CorvinaCD position") reply = "";
    });
    runHandler([&] { form.CDEject(nullptr); });
    EXPECT_TRUE(takeCommands().contains("set CorvinaCD door open"));
    EXPECT_TRUE(drive_->isDoorOpen());
    EXPECT_FALSE(form.DoorClosed);
    EXPECT_EQ(errors_->messages().size(), 1);
}

}  // namespace
}  // namespace corvina::test
