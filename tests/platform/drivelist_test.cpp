// The CD drive list in HKEY_LOCAL_MACHINE\Enum\SCSI: written from the machine's drives at start,
// read back as the device list and the drive root.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/cd/DriveSet.h"
#include "platform/registry/DriveList.h"
#include "platform/registry/Registry.h"

namespace corvina {
namespace {

// Only the description matters here.
class NamedDrive : public cd::Drive {
public:
    explicit NamedDrive(QString description) : description_(std::move(description)) {}
    QString description() const override { return description_; }
    bool isDoorOpen() const override { return false; }
    void setDoorOpen(bool) override {}
    std::optional<cd::Toc> toc() const override { return std::nullopt; }
    bool play(int, int) override { return false; }
    void stop() override {}
    bool seek(int) override { return false; }
    int position() const override { return 0; }
    bool isPlaying() const override { return false; }
    void setChannels(bool, bool) override {}

private:
    QString description_;
};

void installDrives(const QStringList& descriptions) {
    std::vector<std::unique_ptr<cd::Drive>> drives;
    for (const QString& d : descriptions) drives.push_back(std::make_unique<NamedDrive>(d));
    cd::DriveSet::install(std::move(drives));
}

class DriveList : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path()));
    }
    void TearDown() override {
        qputenv("XDG_CONFIG_HOME", saved_);
        cd::DriveSet::install({});
    }

    // An instance key written by hand; a null value is left out.
    static void addInstance(const QString& model, const QString& instance, const QString& letter,
                            const QString& desc) {
        TRegistry reg(RootKey::LocalMachine);
        reg.openKey("Enum\\SCSI\\" + model + "\\" + instance, true);
        if (!letter.isNull()) reg.writeString("CurrentDriveLetterAssignment", letter);
        if (!desc.isNull()) reg.writeString("DeviceDesc", desc);
    }

    QTemporaryDir dir_;
    QByteArray saved_;
};

TEST_F(DriveList, NoBranchMeansNoDevicesAndNoRoot) {
    EXPECT_EQ(listCdDevices(), QStringList());
    EXPECT_EQ(detectDriveRoot(), "");
    TRegistry(RootKey::LocalMachine).createKey("Enum\\SCSI\\CdRom&Ven_X&Prod_Y");
    EXPECT_EQ(listCdDevices(), QStringList());
    EXPECT_EQ(detectDriveRoot(), "");
}

TEST_F(DriveList, ListsInstancesInRegistryOrder) {
    // Only the ends of a whole entry are trimmed; the drive root trims the letter itself.
    addInstance("CdRom&Ven_B", "1", " E\t", "VENDOR B");
    addInstance("CdRom&Ven_A", "1", "F", "VENDOR A \r\n");
    EXPECT_EQ(listCdDevices(), QStringList({"[ E\t:] - VENDOR B", "[F:] - VENDOR A"}));
    EXPECT_EQ(detectDriveRoot(), "E:");

    addInstance("CdRom&Ven_A", "2", "G", "VENDOR A");  // a second drive of one model
    EXPECT_EQ(listCdDevices(),
              QStringList({"[ E\t:] - VENDOR B", "[F:] - VENDOR A", "[G:] - VENDOR A"}));
}

TEST_F(DriveList, AnInstanceWithoutALetter) {
    addInstance("CdRom&Ven_V", "1", QString(), "Virtual");
    addInstance("CdRom&Ven_W", "1", "E", QString());
    EXPECT_EQ(listCdDevices(), QStringList({"[:] - Virtual", "[E:] -"}));
    EXPECT_EQ(detectDriveRoot(), ":");
}

TEST_F(DriveList, PublishesTheMachinesDrivesDefaultFirst) {
    installDrives({"Corvina 虚拟光驱", "HL-DT-ST DVDRAM GH24NSD1", "HL-DT-ST DVDRAM GH24NSD1"});
    publishDriveBranch();
    EXPECT_EQ(listCdDevices(),
              QStringList({"[D:] - Corvina 虚拟光驱", "[E:] - HL-DT-ST DVDRAM GH24NSD1",
                           "[F:] - HL-DT-ST DVDRAM GH24NSD1"}));
    EXPECT_EQ(detectDriveRoot(), "D:");
    TRegistry reg(RootKey::LocalMachine);
    ASSERT_TRUE(reg.openKey("Enum\\SCSI", false));
    EXPECT_EQ(reg.getKeyNames(), QStringList({"CdRom&Ven_Corvina&Prod_虚拟光驱",
                                              "CdRom&Ven_HL-DT-ST&Prod_DVDRAM_GH24NSD1"}));

    // The next start with one drive left: the others are gone from the branch, the rest of
    // the root stays.
    reg.openKey("Software\\Velmaro\\Corvina", true);
    reg.writeString("Path", "/opt/corvina/corvina");
    installDrives({"HL-DT-ST DVDRAM GH24NSD1"});
    publishDriveBranch();
    EXPECT_EQ(listCdDevices(), QStringList({"[D:] - HL-DT-ST DVDRAM GH24NSD1"}));
    EXPECT_EQ(reg.readString("Path"), "/opt/corvina/corvina");
}

}  // namespace
}  // namespace corvina
