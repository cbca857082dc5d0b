// Drives plugged in while the player runs, as the main window takes them: one plugged in while
// the demo disc plays becomes the drive that plays; one plugged in beside a real drive only
// joins the list; a default drive plugged back plays its disc again.
#include "platform/cd/DemoDisc.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/LateDrive.h"
#include "platform/cd/Probe.h"
#include "platform/cd/VirtualDrive.h"
#include "platform/registry/DriveList.h"
#include "tests/app/MainFixture.h"

namespace corvina::test {
namespace {

class DrivesTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        parts.listDevices = [this] { return devices; };
        parts.openDevice = [](const std::string&) -> std::unique_ptr<cd::Drive> {
            return std::make_unique<cd::FakeDrive>(std::vector<int>{kMinute, kMinute, kMinute});
        };
        writeSettings();
    }
    void install(std::vector<std::unique_ptr<cd::Drive>> drives) {
        cd::DriveSet::install(std::move(drives));
        publishDriveBranch();
    }
    // What the player's two-second look finds, handed to the window.
    void look() {
        const cd::DriveChanges changes = cd::DriveSet::instance().refresh(parts);
        for (cd::Drive* drive : changes.joined) static_cast<cd::LateDrive*>(drive)->waitReady();
        if (changes.any()) form_->DrivesChanged(changes);
    }

    std::vector<std::string> devices;
    cd::ProbeParts parts;
};

TEST_F(DrivesTest, ADrivePluggedInWhileTheDemoDiscPlaysBecomesTheDriveThatPlays) {
    std::vector<std::unique_ptr<cd::Drive>> drives;
    drives.push_back(cd::VirtualDrive::withDemoDisc());
    install(std::move(drives));
    TFormMain& form = start();
    ASSERT_TRUE(form.Playing);
    cd::Drive* demo = cd::DriveSet::instance().defaultDrive();

    devices = {"/dev/sr0"};
    look();
    cd::DriveSet& set = cd::DriveSet::instance();
    ASSERT_EQ(set.drives().size(), 2u);
    EXPECT_NE(set.defaultDrive(), demo);
    EXPECT_FALSE(demo->isPlaying());
    EXPECT_EQ(form.DriveRoot, "E:");  // the new drive's letter, first in the drive list
    EXPECT_TRUE(listCdDevices().front().startsWith("[E:]"));
    takeCommands();
    tick();  // as after a disc put in: the tick plays it
    EXPECT_TRUE(takeCommands().contains("play CorvinaCD"));
    EXPECT_TRUE(form.Playing);
    EXPECT_TRUE(set.defaultDrive()->isPlaying());
    EXPECT_EQ(form.TrackCount, "3");
}

TEST_F(DrivesTest, ADrivePluggedInBesideARealDriveOnlyJoinsTheList) {
    std::vector<std::unique_ptr<cd::Drive>> drives;
    drives.push_back(std::make_unique<cd::FakeDrive>(std::vector<int>{kMinute, kMinute}));
    drive_ = static_cast<cd::FakeDrive*>(drives.back().get());
    install(std::move(drives));
    TFormMain& form = start();
    ASSERT_TRUE(drive_->isPlaying());
    devices = {"/dev/sr1"};
    look();
    EXPECT_EQ(cd::DriveSet::instance().drives().size(), 2u);
    EXPECT_EQ(cd::DriveSet::instance().defaultDrive(), drive_);
    EXPECT_TRUE(drive_->isPlaying());
    EXPECT_EQ(form.DriveRoot, "D:");
    EXPECT_EQ(listCdDevices().size(), 2);
    tick();
    EXPECT_FALSE(takeCommands().contains("play CorvinaCD"));
}

}  // namespace
}  // namespace corvina::test
