// Unmounting a disc's file systems: the mount-table check, and UDisks2 played by a fake service
// on a private system-style bus that the test starts, called from a thread of its own as a
// drive's thread calls it.
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <atomic>
#include <csignal>
#include <memory>
#include <thread>

#include "platform/cd/Unmount.h"
#include "tests/support/TestSupport.h"

using namespace corvina::cd;

namespace {

using Interfaces = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, Interfaces>;

const QString kRoot = QStringLiteral("/org/freedesktop/UDisks2");

QList<QByteArray> nulTerminated(const QStringList& paths) {
    QList<QByteArray> out;
    for (const QString& path : paths) out.append(path.toUtf8() + '\0');
    return out;
}

// UDisks2 as far as unmounting needs it: the object manager's list of block devices,
// partitions and file systems, and Filesystem.Unmount with a switch that makes it refuse.
class FakeUDisks : public QDBusVirtualObject {
public:
    struct Object {
        QString device;
        QStringList links;
        bool filesystem = true;
        QStringList mountPoints;
        QString table;  // the block object whose partition this is
    };
    QMap<QString, Object> objects;  // by object path
    QString refusal;                // the error Unmount answers with; empty: it unmounts
    bool silent = false;            // Unmount never answers
    QStringList unmounted;
    QVariantMap options;

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        if (message.member() == "GetManagedObjects" && message.path() == kRoot) {
            ManagedObjects list;
            for (auto it = objects.begin(); it != objects.end(); ++it) {
                Interfaces interfaces;
                interfaces["org.freedesktop.UDisks2.Block"] = {
                    {"Device", it->device.toUtf8() + '\0'},
                    {"PreferredDevice", it->device.toUtf8() + '\0'},
                    {"Symlinks", QVariant::fromValue(nulTerminated(it->links))}};
                if (it->filesystem) {
                    interfaces["org.freedesktop.UDisks2.Filesystem"] = {
                        {"MountPoints", QVariant::fromValue(nulTerminated(it->mountPoints))}};
                }
                if (!it->table.isEmpty()) {
                    interfaces["org.freedesktop.UDisks2.Partition"] = {
                        {"Table", QVariant::fromValue(QDBusObjectPath(it->table))}};
                }
                list[QDBusObjectPath(it.key())] = interfaces;
            }
            bus.send(message.createReply(QVariant::fromValue(list)));
            return true;
        }
        if (message.member() == "Unmount" && objects.contains(message.path())) {
            if (silent) return true;
            if (!refusal.isEmpty()) {
                bus.send(message.createErrorReply(refusal, "refused by the test"));
                return true;
            }
            options = message.arguments().value(0).toMap();
            if (options.isEmpty())
                options =
                    qdbus_cast<QVariantMap>(message.arguments().value(0).value<QDBusArgument>());
            objects[message.path()].mountPoints.clear();
            unmounted.append(message.path());
            bus.send(message.createReply());
            return true;
        }
        return false;
    }
};

class UnmountTest : public ::testing::Test, public corvina::test::TempFolder {
protected:
    // One private bus for the test program: the system bus connection is made once per process.
    static void SetUpTestSuite() {
        qDBusRegisterMetaType<QList<QByteArray>>();
        qDBusRegisterMetaType<Interfaces>();
        qDBusRegisterMetaType<ManagedObjects>();
        busDir = new QTemporaryDir;
        const QString config = busDir->filePath("bus.conf");
        QFile file(config);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            QStringLiteral("<busconfig><type>system</type><listen>unix:path=%1/socket</listen>"
                           "<auth>EXTERNAL</auth><policy context=\"default\"><allow user=\"*\"/>"
                           "<allow own=\"*\"/><allow send_destination=\"*\"/>"
                           "<allow receive_sender=\"*\"/></policy></busconfig>")
                .arg(busDir->path())
                .toUtf8());
        file.close();
        daemon = new QProcess;
        // The bus ends with the test program, even one that crashes.
        daemon->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        daemon->start("dbus-daemon", {"--config-file=" + config, "--nofork", "--print-address=1"});
        ASSERT_TRUE(daemon->waitForReadyRead(10000)) << "dbus-daemon did not start";
        address = QString::fromUtf8(daemon->readLine()).trimmed();
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());
    }
    static void TearDownTestSuite() {
        QDBusConnection::disconnectFromBus("fake-udisks");
        qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        daemon->kill();
        daemon->waitForFinished();
        delete daemon;
        delete busDir;
    }

    void TearDown() override {
        if (serving) {
            QDBusConnection bus = QDBusConnection("fake-udisks");
            bus.unregisterObject(kRoot, QDBusConnection::UnregisterTree);
            bus.unregisterService("org.freedesktop.UDisks2");
        }
    }

    // The fake takes the service name; its calls are answered by this thread's event loop.
    void serve() {
        QDBusConnection bus = QDBusConnection::connectToBus(address, "fake-udisks");
        ASSERT_TRUE(bus.isConnected());
        ASSERT_TRUE(bus.registerVirtualObject(kRoot, &fake, QDBusConnection::SubPath));
        ASSERT_TRUE(bus.registerService("org.freedesktop.UDisks2"));
        serving = true;
    }

    // As a drive's thread calls it, while this (the UI) thread goes on with its events.
    UnmountResult unmountOnOwnThread(const QString& device, int timeoutMs = kUnmountTimeoutMs) {
        UnmountResult result;
        std::atomic<bool> done{false};
        std::thread worker([&] {
            result = unmountAll(device, timeoutMs);
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 20000)) << "no answer";
        worker.join();
        return result;
    }

    void addDrives() {
        fake.objects[kRoot + "/block_devices/sr0"] = {"/dev/sr0",
                                                      {"/dev/cdrom", "/dev/disk/by-id/ata-DRIVE"},
                                                      true,
                                                      {"/media/user/数据 盘"},
                                                      {}};
        fake.objects[kRoot + "/block_devices/sr0p1"] = {
            "/dev/sr0p1", {}, true, {"/media/user/EXTRA"}, kRoot + "/block_devices/sr0"};
        fake.objects[kRoot + "/block_devices/sr1"] = {"/dev/sr1", {}, true, {"/media/other"}, {}};
    }

    static QTemporaryDir* busDir;
    static QProcess* daemon;
    static QString address;
    FakeUDisks fake;
    bool serving = false;
};

QTemporaryDir* UnmountTest::busDir = nullptr;
QProcess* UnmountTest::daemon = nullptr;
QString UnmountTest::address;

TEST_F(UnmountTest, MountTableShowsTheDiscAndItsPartitionsOnly) {
    write("mountinfo",
          "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
          "40 22 11:0 / /media/user/A\\040Disc ro,nosuid shared:5 - iso9660 /dev/sr0 ro\n"
          "41 22 259:3 / /media/user/Extra ro - udf /dev/sr0p1 ro\n"
          "42 22 11:1 / /media/other ro master:2 - iso9660 /dev/sr1 ro\n");
    const QString table = path("mountinfo");
    EXPECT_TRUE(hasMounts("/dev/sr0", table));
    EXPECT_TRUE(hasMounts("/dev/sr1", table));
    EXPECT_FALSE(hasMounts("/dev/sr2", table));
    EXPECT_FALSE(hasMounts("/dev/sr", table));
    write("partition-only", "41 22 259:3 / /media/x ro - udf /dev/sr2p12 ro\n");
    EXPECT_TRUE(hasMounts("/dev/sr2", path("partition-only")));
    EXPECT_FALSE(hasMounts("/dev/sr2p", path("partition-only")));
    // Through a link to the device node.
    write("node", "");
    ASSERT_TRUE(QFile::link(path("node"), path("cdrom")));
    write("linked", "40 22 11:0 / /media/x ro - iso9660 " + path("node").toUtf8() + " ro\n");
    EXPECT_TRUE(hasMounts(path("cdrom"), path("linked")));
    EXPECT_FALSE(hasMounts(path("cdrom"), table));
    // By the device's number, whatever the table calls its source.
    for (const QString& name : QDir("/dev").entryList(QDir::System)) {
        struct stat info {};
        const QByteArray node = QFile::encodeName("/dev/" + name);
        if (stat(node.constData(), &info) != 0 || !S_ISBLK(info.st_mode)) continue;
        write("numbered", QByteArray("40 22 ") + QByteArray::number(major(info.st_rdev)) + ':' +
                              QByteArray::number(minor(info.st_rdev)) +
                              " / /mnt ro - ext4 none ro\n");
        EXPECT_TRUE(hasMounts("/dev/" + name, path("numbered"))) << node.constData();
        EXPECT_FALSE(hasMounts("/dev/" + name, table)) << node.constData();
        break;
    }
    EXPECT_FALSE(hasMounts("/dev/sr0", path("no such table")));
}

TEST_F(UnmountTest, UnmountsEveryMountedFileSystemOfTheDeviceWithoutAPrompt) {
    addDrives();
    serve();
    const UnmountResult result = unmountOnOwnThread("/dev/cdrom");  // by one of its links
    EXPECT_EQ(result.status, UnmountResult::Unmounted) << result.reason.toStdString();
    EXPECT_TRUE(result.ok());
    fake.unmounted.sort();
    EXPECT_EQ(fake.unmounted,
              QStringList({kRoot + "/block_devices/sr0", kRoot + "/block_devices/sr0p1"}));
    EXPECT_EQ(fake.objects[kRoot + "/block_devices/sr1"].mountPoints.size(), 1);  // another drive
    EXPECT_EQ(fake.options.value("auth.no_user_interaction"), QVariant(true));

    fake.unmounted.clear();
    EXPECT_EQ(unmountOnOwnThread("/dev/sr0").status, UnmountResult::NothingMounted);
    EXPECT_TRUE(fake.unmounted.isEmpty());
}

TEST_F(UnmountTest, RefusalsSayWhyInTheUsersWords) {
    addDrives();
    serve();
    fake.refusal = "org.freedesktop.UDisks2.Error.NotAuthorizedCanObtain";
    UnmountResult result = unmountOnOwnThread("/dev/sr0");
    EXPECT_EQ(result.status, UnmountResult::NotAuthorised);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.reason.contains("没有权限")) << result.reason.toStdString();

    fake.refusal = "org.freedesktop.UDisks2.Error.DeviceBusy";
    result = unmountOnOwnThread("/dev/sr1");
    EXPECT_EQ(result.status, UnmountResult::Busy);
    EXPECT_TRUE(result.reason.contains("/media/other")) << result.reason.toStdString();
    EXPECT_TRUE(result.reason.contains("正被其他程序使用")) << result.reason.toStdString();

    fake.refusal = "org.freedesktop.UDisks2.Error.Failed";
    result = unmountOnOwnThread("/dev/sr1");
    EXPECT_EQ(result.status, UnmountResult::Failed);
    EXPECT_TRUE(result.reason.contains("refused by the test")) << result.reason.toStdString();

    result = unmountOnOwnThread("/dev/sr5");  // a device UDisks2 does not know
    EXPECT_EQ(result.status, UnmountResult::NoService);
    EXPECT_TRUE(result.reason.contains("/dev/sr5")) << result.reason.toStdString();

    // A service that does not answer costs the time allowed, not more.
    fake.refusal.clear();
    fake.silent = true;
    result = unmountOnOwnThread("/dev/sr1", 300);
    EXPECT_EQ(result.status, UnmountResult::Failed);
    EXPECT_TRUE(result.reason.contains("没有及时响应")) << result.reason.toStdString();
}

TEST_F(UnmountTest, NoServiceOnTheBus) {
    const UnmountResult result = unmountOnOwnThread("/dev/sr0");
    EXPECT_EQ(result.status, UnmountResult::NoService);
    EXPECT_TRUE(result.reason.contains("UDisks2")) << result.reason.toStdString();
}

}  // namespace
