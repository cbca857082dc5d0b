// The command interpreter over a scripted drive: replies, positions, refusals and the hooks.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cstring>

#include "platform/cd/DriveSet.h"
#include "platform/cd/FakeDrive.h"
#include "platform/mci/Mci.h"
#include "tests/support/TestSupport.h"

using namespace corvina;
using corvina::cd::FakeDrive;

namespace {

constexpr int kMinute = 60 * 75;

class MciTest : public ::testing::Test {
protected:
    // Nine tracks: 1:00, 2:00:30, then 3:00 each.
    void SetUp() override {
        useDisc({kMinute, 2 * kMinute + 30, 3 * kMinute, 3 * kMinute, 3 * kMinute, 3 * kMinute,
                 3 * kMinute, 3 * kMinute, 3 * kMinute});
    }
    void TearDown() override { mci::resetForTesting(); }

    void useDisc(std::vector<int> tracks) {
        mci::resetForTesting();
        auto drive = std::make_unique<FakeDrive>(std::move(tracks));
        fake = drive.get();
        std::vector<std::unique_ptr<cd::Drive>> drives;
        drives.push_back(std::move(drive));
        cd::DriveSet::install(std::move(drives));
        ASSERT_EQ(send("open cdaudio alias CorvinaCD wait shareable"), 0u);
        ASSERT_EQ(send("set CorvinaCD time format tmsf wait"), 0u);
    }

    unsigned send(const std::string& command) { return mci::sendString(command, buffer, 13); }
    std::string ask(const std::string& command) {
        std::strcpy(buffer, "untouched");
        const unsigned code = send(command);
        return code == 0 ? std::string(buffer) : "error " + std::to_string(code);
    }

    FakeDrive* fake = nullptr;
    char buffer[13] = {};
};

TEST_F(MciTest, RepliesHaveTheirFixedForms) {
    EXPECT_EQ(ask("status CorvinaCD media present"), "true");
    EXPECT_EQ(ask("status CorvinaCD number of tracks"), "9");
    EXPECT_EQ(ask("status CorvinaCD length wait"), "24:00:30");
    EXPECT_EQ(ask("status CorvinaCD length track 2"), "02:00:30");
    EXPECT_EQ(ask("status CorvinaCD length track 02"), "02:00:30");
    EXPECT_EQ(ask("status CorvinaCD position"), "01:00:00:00");
    EXPECT_EQ(ask("STATUS corvinacd MODE"), "stopped");
    EXPECT_EQ(ask("status CorvinaCD length track 10"), "error 282");

    // Milliseconds count from frame 0: track 1 of a pressed disc starts at 2000.
    EXPECT_EQ(ask("set CorvinaCD time format milliseconds"), "");
    EXPECT_EQ(ask("status CorvinaCD position wait"), "2000");
    EXPECT_EQ(ask("status CorvinaCD length track 1"), "60000");

    useDisc(std::vector<int>(12, kMinute));
    EXPECT_EQ(ask("status CorvinaCD number of tracks"), "12");
}

TEST_F(MciTest, ReplyIsCutToTheBufferAndFailureLeavesItAlone) {
    char small[6];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(mci::sendString("status CorvinaCD position", small, sizeof small), 0u);
    EXPECT_STREQ(small, "01:00");
    std::strcpy(small, "keep");
    EXPECT_NE(mci::sendString("status CorvinaCD bogus", small, sizeof small), 0u);
    EXPECT_STREQ(small, "keep");
    EXPECT_EQ(mci::sendString("status CorvinaCD position", nullptr, 0), 0u);
    EXPECT_EQ(mci::sendString("status CorvinaCD position", small, 0), 0u);
    EXPECT_STREQ(small, "keep");
}

TEST_F(MciTest, PlayRunsAcrossTracksAndStopsAtTheEndOfTheDisc) {
    ASSERT_EQ(send("play CorvinaCD"), 0u);
    fake->advance(kMinute + 75 * 5 + 3);
    EXPECT_EQ(ask("status CorvinaCD position"), "02:00:05:03");
    EXPECT_EQ(ask("status CorvinaCD mode"), "playing");
    EXPECT_EQ(fake->playEnd(), 150 + 24 * kMinute + 30);

    fake->advance(100 * kMinute);
    EXPECT_FALSE(fake->isPlaying());
    EXPECT_EQ(ask("status CorvinaCD mode"), "stopped");
    EXPECT_EQ(ask("status CorvinaCD position"), "09:03:00:00");
    // Nothing is left to play from the end.
    EXPECT_EQ(send("play CorvinaCD"), mci::kErrOutOfRange);
}

TEST_F(MciTest, StopKeepsThePositionSoPlayResumes) {
    ASSERT_EQ(send("play CorvinaCD from 3"), 0u);
    fake->advance(75 * 42);
    ASSERT_EQ(send("stop CorvinaCD wait"), 0u);
    fake->advance(75 * 10);  // the clock does not move while stopped
    EXPECT_EQ(ask("status CorvinaCD position"), "03:00:42:00");
    ASSERT_EQ(send("play CorvinaCD"), 0u);
    EXPECT_TRUE(fake->isPlaying());
    EXPECT_EQ(ask("status CorvinaCD position"), "03:00:42:00");
}

TEST_F(MciTest, SeekAcceptsTrackNumbersWithOrWithoutZerosAndFullPositions) {
    ASSERT_EQ(send("play CorvinaCD"), 0u);
    ASSERT_EQ(send("seek CorvinaCD to 03"), 0u);
    EXPECT_FALSE(fake->isPlaying());
    const int viaPadded = fake->position();
    ASSERT_EQ(send("seek CorvinaCD to 1"), 0u);
    ASSERT_EQ(send("seek CorvinaCD to 3"), 0u);
    EXPECT_EQ(fake->position(), viaPadded);
    EXPECT_EQ(ask("status CorvinaCD position"), "03:00:00:00");

    ASSERT_EQ(send("seek CorvinaCD to 04:01:02:03"), 0u);
    EXPECT_EQ(ask("status CorvinaCD position"), "04:01:02:03");
    ASSERT_EQ(send("play CorvinaCD from 2:0:30"), 0u);
    EXPECT_EQ(ask("status CorvinaCD position"), "02:00:30:00");
}

TEST_F(MciTest, PositionsOutsideTheDiscAreRefusedAndNothingMoves) {
    ASSERT_EQ(send("play CorvinaCD from 2"), 0u);
    fake->advance(75);
    const int before = fake->position();
    for (const char* bad : {"seek CorvinaCD to 0", "seek CorvinaCD to 10", "play CorvinaCD from 0",
                            "seek CorvinaCD to 02:00:00:75", "seek CorvinaCD to 09:03:00:00",
                            "play CorvinaCD from 3 to 2"}) {
        EXPECT_EQ(send(bad), mci::kErrOutOfRange) << bad;
    }
    EXPECT_EQ(send("seek CorvinaCD to x3"), mci::kErrBadInteger);

    ASSERT_EQ(send("set CorvinaCD time format milliseconds"), 0u);
    for (const char* bad : {"seek CorvinaCD to -4000", "play CorvinaCD from 1999",
                            "seek CorvinaCD to 1442400", "play CorvinaCD from 99999999999"}) {
        EXPECT_EQ(send(bad), mci::kErrOutOfRange) << bad;
    }
    EXPECT_TRUE(fake->isPlaying());
    EXPECT_EQ(fake->position(), before);

    // A position read in milliseconds and sent back lands on the same frame.
    fake->advance(1);
    const std::string ms = ask("status CorvinaCD position");
    const int frame = fake->position();
    ASSERT_EQ(send("seek CorvinaCD to " + ms), 0u);
    EXPECT_EQ(fake->position(), frame);
    ASSERT_EQ(send("seek CorvinaCD to 2000"), 0u);
    EXPECT_EQ(fake->position(), 150);
}

TEST_F(MciTest, UnknownOrClosedDevicesFailWithoutEffect) {
    EXPECT_EQ(send("open cdaudio alias CorvinaCD"), mci::kErrDuplicateAlias);
    EXPECT_EQ(send("play Other"), mci::kErrInvalidDeviceName);
    EXPECT_EQ(send("rewind CorvinaCD"), mci::kErrUnrecognizedCommand);
    EXPECT_EQ(send(""), mci::kErrUnrecognizedCommand);
    EXPECT_EQ(send("set CorvinaCD time format frames"), mci::kErrBadTimeFormat);
    EXPECT_EQ(send("set CorvinaCD audio middle off"), mci::kErrUnrecognizedKeyword);
    EXPECT_EQ(ask("status CorvinaCD time format"), "tmsf");
    EXPECT_TRUE(fake->leftOn());

    ASSERT_EQ(send("close CorvinaCD"), 0u);
    EXPECT_EQ(send("play CorvinaCD"), mci::kErrInvalidDeviceName);
    EXPECT_EQ(ask("status CorvinaCD media present"), "error 263");
    EXPECT_FALSE(fake->isPlaying());
    // The alias is free again.
    EXPECT_EQ(send("open cdaudio alias CorvinaCD"), 0u);
}

TEST_F(MciTest, DoorOpenHidesTheDiscAndClosingBringsItBack) {
    ASSERT_EQ(send("play CorvinaCD from 4"), 0u);
    ASSERT_EQ(send("set CorvinaCD door open"), 0u);
    EXPECT_FALSE(fake->isPlaying());
    EXPECT_EQ(ask("status CorvinaCD media present"), "false");
    EXPECT_EQ(ask("status CorvinaCD mode"), "open");
    EXPECT_EQ(ask("status CorvinaCD number of tracks"), "error 276");
    EXPECT_EQ(send("play CorvinaCD"), mci::kErrDeviceNotReady);
    ASSERT_EQ(send("set CorvinaCD door closed"), 0u);
    EXPECT_EQ(ask("status CorvinaCD media present"), "true");
    EXPECT_EQ(ask("status CorvinaCD number of tracks"), "9");
}

TEST_F(MciTest, ChannelCommandsReachTheDrive) {
    ASSERT_EQ(send("set CorvinaCD audio right off"), 0u);
    ASSERT_EQ(send("set CorvinaCD audio left on"), 0u);
    EXPECT_TRUE(fake->leftOn());
    EXPECT_FALSE(fake->rightOn());
    ASSERT_EQ(send("set CorvinaCD audio all off"), 0u);
    EXPECT_FALSE(fake->leftOn() || fake->rightOn());
    ASSERT_EQ(send("set CorvinaCD audio all on"), 0u);
    EXPECT_TRUE(fake->leftOn() && fake->rightOn());
}

TEST_F(MciTest, RefusingOrVanishedDriveFailsTheCommand) {
    fake->setRefusePositions(true);
    EXPECT_NE(send("play CorvinaCD"), 0u);
    EXPECT_NE(send("seek CorvinaCD to 2"), 0u);
    fake->setRefusePositions(false);
    fake->setVanished(true);
    EXPECT_EQ(ask("status CorvinaCD media present"), "false");
    EXPECT_NE(send("play CorvinaCD"), 0u);
}

TEST_F(MciTest, ReplacedDriveSetIsFollowedNotDereferencedStale) {
    std::vector<std::unique_ptr<cd::Drive>> drives;
    drives.push_back(std::make_unique<FakeDrive>(std::vector<int>{kMinute, kMinute}));
    cd::DriveSet::install(std::move(drives));  // the old FakeDrive is gone
    fake = nullptr;
    EXPECT_EQ(ask("status CorvinaCD number of tracks"), "2");
}

TEST_F(MciTest, LogObserverAndFilterSeeEachCommand) {
    const QString log = QDir(test::scratchDir()).filePath("mci.log");
    QFile::remove(log);
    qputenv("CORVINA_MCI_LOG", log.toLocal8Bit());
    std::vector<std::string> seen;
    auto previous =
        mci::setCommandObserver([&](std::string_view c, unsigned r, std::string_view reply) {
            seen.push_back(std::string(c) + "|" + std::to_string(r) + "|" + std::string(reply));
        });
    auto previousFilter = mci::setReplyFilter([](std::string_view c, std::string& reply) {
        if (c.find("position") != std::string_view::npos) reply = "garbage";
    });
    send("status CorvinaCD number of tracks");
    send("status CorvinaCD position");
    send("play nobody\tnow");
    qunsetenv("CORVINA_MCI_LOG");
    mci::setCommandObserver(previous);
    mci::setReplyFilter(previousFilter);

    EXPECT_STREQ(buffer, "garbage");
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], "status CorvinaCD number of tracks|0|9");
    EXPECT_EQ(seen[1], "status CorvinaCD position|0|garbage");
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(),
              "status CorvinaCD number of tracks\t0\t9\n"
              "status CorvinaCD position\t0\tgarbage\n"
              "play nobody now\t263\t\n");
}

TEST_F(MciTest, LogFollowsItsVariable) {
    // The log is kept open between commands: it must still go where the variable says, start
    // again in a file put in place of the old one, and stop when the variable goes.
    const QString first = QDir(test::scratchDir()).filePath("first.log");
    const QString second = QDir(test::scratchDir()).filePath("second.log");
    QFile::remove(first);
    QFile::remove(second);
    qputenv("CORVINA_MCI_LOG", first.toLocal8Bit());
    send("status CorvinaCD mode");
    qputenv("CORVINA_MCI_LOG", second.toLocal8Bit());
    send("status CorvinaCD ready");
    qunsetenv("CORVINA_MCI_LOG");
    send("status CorvinaCD media present");
    QFile::remove(first);
    qputenv("CORVINA_MCI_LOG", first.toLocal8Bit());
    send("status CorvinaCD time format");
    qunsetenv("CORVINA_MCI_LOG");

    const auto text = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    };
    EXPECT_EQ(text(first), "status CorvinaCD time format\t0\ttmsf\n");
    EXPECT_EQ(text(second), "status CorvinaCD ready\t0\ttrue\n");
}

TEST(DiscSerial, SumsPackedStartsAndLengthForShortDiscs) {
    cd::Toc toc;
    for (int start : {150, 15363, 32314, 46592, 63414, 80489}) toc.tracks.push_back({start});
    toc.leadOut = 95000;
    EXPECT_EQ(cd::discSerial(toc), 0x3373C5u);

    // Two tracks: 00:02:00 + 01:00:00 plus the 2 minutes from track 1 to the lead-out.
    const cd::Toc shortDisc = FakeDrive::makeToc({58 * 75, 60 * 75});
    EXPECT_EQ(cd::discSerial(shortDisc), 0x000200u + 0x010000u + 118u * 75u);
    EXPECT_EQ(cd::discSerial(cd::Toc{}), 0u);
}

}  // namespace
