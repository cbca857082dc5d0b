// Rips in the virtual drive: which drives a start finds, the rip remembered across starts, drives
// that answer late, what a drop may put in, and the alias following the default drive.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <future>

#include "platform/cd/DriveSet.h"
#include "platform/cd/FakeDrive.h"
#include "platform/cd/LateDrive.h"
#include "platform/cd/Probe.h"
#include "platform/cd/RememberedDisc.h"
#include "platform/cd/RipDrop.h"
#include "platform/cd/VirtualDrive.h"
#include "platform/mci/Mci.h"
#include "tests/support/TestSupport.h"

using namespace corvina;
using namespace corvina::cd;

namespace {

// Fake machine parts: `devices` real drives, each opened as a FakeDrive with a disc.
ProbeParts fakeParts(int devices) {
    ProbeParts parts;
    parts.listDevices = [devices] {
        std::vector<std::string> names;
        for (int i = 0; i < devices; ++i) names.push_back("/dev/sr" + std::to_string(i));
        return names;
    };
    parts.openDevice = [](const std::string& name) -> std::unique_ptr<Drive> {
        return std::make_unique<FakeDrive>(std::vector<int>{750, 750}, QString::fromStdString(name));
    };
    return parts;
}

class RipsTest : public ::testing::Test {
protected:
    void SetUp() override {
        wasSet = qEnvironmentVariableIsSet("CORVINA_DISC");
        saved = qgetenv("CORVINA_DISC");
        qunsetenv("CORVINA_DISC");
        rememberDisc(QString());
        QDir().mkpath(rip());
        for (int t = 1; t <= 3; ++t) {
            QFile file(QDir(rip()).filePath(QStringLiteral("%1.wav").arg(t)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(corvina::test::pcmWav(588 * 75, 0x0101));
        }
    }
    void TearDown() override {
        QCoreApplication::processEvents();
        rememberDisc(QString());
        if (wasSet) qputenv("CORVINA_DISC", saved);
    }
    QString rip() const { return QDir(dir.path()).filePath("album"); }
    // What the start tells once its window is on screen: notices; never an error box.
    QStringList messagesAfterStart() {
        test::ErrorCapture errors;
        test::NoticeCapture notices;
        QCoreApplication::processEvents();
        // Nothing before a window of the player is on screen: a box then would hold the start up.
        EXPECT_TRUE(notices.messages().isEmpty());
        QWidget window;
        window.show();
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
        EXPECT_TRUE(errors.messages().isEmpty()) << errors.messages().join('|').toStdString();
        return notices.messages();
    }
    static bool holdsRip(const Drive& drive, int tracks) {
        auto toc = drive.toc();
        return dynamic_cast<const VirtualDrive*>(&drive) && toc && toc->trackCount() == tracks;
    }

    QTemporaryDir dir;
    bool wasSet = false;
    QByteArray saved;
};

TEST_F(RipsTest, ConfiguredDiscIsTheOnlyDriveAndIsRemembered) {
    qputenv("CORVINA_DISC", rip().toLocal8Bit());
    auto drives = probeDrives(fakeParts(2));
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_TRUE(holdsRip(*drives[0], 3));
    QString problem;
    EXPECT_EQ(rememberedDisc(problem), rip());

    // Set but empty: an empty drive for this run; the rip stays remembered.
    qputenv("CORVINA_DISC", "");
    drives = probeDrives(fakeParts(2));
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_FALSE(drives[0]->toc());
    EXPECT_EQ(rememberedDisc(problem), rip());
    EXPECT_TRUE(messagesAfterStart().isEmpty());
}

TEST_F(RipsTest, TheSameRipIsNotWrittenAgainAndAnEmptyMemoryIsNoMemory) {
    ASSERT_TRUE(rememberDisc(rip()));
    const auto inode = [] {
        struct stat st {};
        return ::stat(QFile::encodeName(rememberedDiscFile()).constData(), &st) == 0 ? st.st_ino
                                                                                     : ino_t(0);
    };
    const ino_t first = inode();
    ASSERT_NE(first, ino_t(0));
    // Each start with the rip remembers it: the same rip leaves the file as it is.
    ASSERT_TRUE(rememberDisc(rip()));
    EXPECT_EQ(inode(), first);
    const QString other = QDir(dir.path()).filePath("other");
    ASSERT_TRUE(rememberDisc(other));
    EXPECT_NE(inode(), first);
    QString problem;
    EXPECT_EQ(rememberedDisc(problem), other);

    // A file made just before a power cut can come back empty: nothing remembered, nothing said.
    QFile file(rememberedDiscFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.close();
    EXPECT_EQ(rememberedDisc(problem), std::nullopt);
    EXPECT_TRUE(problem.isEmpty());
}

TEST_F(RipsTest, DefaultDriveRule) {
    // No rip, no CD drive: the demo disc.
    auto drives = probeDrives(fakeParts(0));
    ASSERT_EQ(drives.size(), 1u);
    ASSERT_TRUE(drives[0]->toc());
    EXPECT_GE(drives[0]->toc()->trackCount(), 4);

    // No rip, CD drives: the first real drive, and an empty virtual drive last for drops.
    drives = probeDrives(fakeParts(2));
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_TRUE(dynamic_cast<LateDrive*>(drives[0].get()));
    EXPECT_TRUE(dynamic_cast<LateDrive*>(drives[1].get()));
    ASSERT_TRUE(dynamic_cast<VirtualDrive*>(drives[2].get()));
    EXPECT_FALSE(drives[2]->toc());

    // A remembered rip comes first, before the real drives.
    ASSERT_TRUE(rememberDisc(rip()));
    drives = probeDrives(fakeParts(2));
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_TRUE(holdsRip(*drives[0], 3));
    EXPECT_TRUE(dynamic_cast<LateDrive*>(drives[2].get()));
    drives = probeDrives(fakeParts(0));
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_TRUE(holdsRip(*drives[0], 3));
    EXPECT_TRUE(messagesAfterStart().isEmpty());
}

TEST_F(RipsTest, RipGoneOrMemoryUnreadableGivesAnEmptyDriveAndOneMessage) {
    ASSERT_TRUE(rememberDisc(rip()));
    QDir(rip()).removeRecursively();
    auto drives = probeDrives(fakeParts(0));
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_FALSE(drives[0]->toc());  // not the demo disc: the user's rip is what was in it
    QStringList messages = messagesAfterStart();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(rip()));
    // Told once: the next start has nothing remembered and nothing to say.
    drives = probeDrives(fakeParts(0));
    EXPECT_TRUE(drives[0]->toc());
    EXPECT_TRUE(messagesAfterStart().isEmpty());

    // With a real drive the empty virtual drive does not take its place.
    ASSERT_TRUE(rememberDisc(rip()));
    drives = probeDrives(fakeParts(1));
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_TRUE(dynamic_cast<LateDrive*>(drives[0].get()));
    EXPECT_EQ(messagesAfterStart().size(), 1);

    // A memory that is no text of a path, or cannot be read at all.
    for (const QByteArray& junk : {QByteArray("relative/path\n"), QByteArray("\xff\xfe\x00"),
                                   QByteArray("\n")}) {
        QFile file(rememberedDiscFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(junk);
        file.close();
        drives = probeDrives(fakeParts(0));
        EXPECT_EQ(messagesAfterStart().size(), 1) << junk.toStdString();
        EXPECT_FALSE(QFile::exists(rememberedDiscFile()));
    }
    QDir().mkpath(rememberedDiscFile());
    drives = probeDrives(fakeParts(0));
    EXPECT_EQ(messagesAfterStart().size(), 1);
    QDir(rememberedDiscFile()).removeRecursively();
}

TEST(LateDrive, AnswersAsAnEmptyDriveUntilReadyThenPassesRequestsOn) {
    std::promise<void> go;
    std::shared_future<void> started = go.get_future().share();
    FakeDrive* made = nullptr;
    LateDrive drive("/dev/sr0", [&] {
        started.wait();  // a drive spinning up
        auto fake = std::make_unique<FakeDrive>(std::vector<int>{750, 750}, "VENDOR MODEL");
        made = fake.get();
        return fake;
    });
    EXPECT_EQ(drive.description(), "/dev/sr0");
    EXPECT_FALSE(drive.toc());
    EXPECT_FALSE(drive.isDoorOpen());
    EXPECT_FALSE(drive.play(150, 300));
    EXPECT_FALSE(drive.seek(150));
    EXPECT_EQ(drive.position(), kLeadInFrames);
    drive.setChannels(false, true);
    drive.setDoorOpen(true);
    EXPECT_TRUE(drive.isDoorOpen());

    go.set_value();
    drive.waitReady();
    EXPECT_EQ(drive.description(), "VENDOR MODEL");
    ASSERT_TRUE(made);
    EXPECT_FALSE(made->leftOn());
    EXPECT_TRUE(made->rightOn());
    EXPECT_TRUE(made->isDoorOpen());
    drive.setDoorOpen(false);
    ASSERT_TRUE(drive.toc());
    EXPECT_TRUE(drive.play(150, 300));
    EXPECT_TRUE(drive.isPlaying());

    LateDrive none("/dev/sr1", [] { return std::unique_ptr<Drive>(); });
    none.waitReady();
    EXPECT_FALSE(none.toc());
    EXPECT_FALSE(none.play(150, 300));
}

TEST_F(RipsTest, DropsAcceptOneLocalRipAndSayWhyOtherwise) {
    const QDir base(dir.path());
    QDir().mkpath(base.filePath("empty"));
    QDir().mkpath(base.filePath("cued"));
    for (const char* name : {"disc.cue", "disc.toc", "disc.NRG", "notes.txt", "cued/x.cue"}) {
        QFile file(base.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    auto url = [&](const char* name) { return QUrl::fromLocalFile(base.filePath(name)); };
    QString refusal;
    for (const char* name : {"album", "disc.cue", "disc.NRG", "cued"}) {
        EXPECT_EQ(ripInDrop({url(name)}, refusal), base.filePath(name)) << name;
        EXPECT_TRUE(refusal.isEmpty());
    }
    const QList<QList<QUrl>> refused = {
        {},
        {url("notes.txt")},
        {url("disc.toc")},
        {url("empty")},
        {url("missing.cue")},
        {url("album"), url("disc.cue")},
        {QUrl("https://example.com/disc.cue")},
    };
    for (const QList<QUrl>& urls : refused) {
        EXPECT_FALSE(ripInDrop(urls, refusal)) << urls.size();
        EXPECT_FALSE(refusal.isEmpty());
    }
    ripInDrop({url("notes.txt")}, refusal);
    EXPECT_TRUE(refusal.contains("notes.txt"));
}

TEST_F(RipsTest, ImageLibcdioCannotReadIsRefusedWithAReason) {
    QFile junk(QDir(dir.path()).filePath("junk.nrg"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not an image");
    junk.close();
    QString error;
    EXPECT_FALSE(loadRip(junk.fileName(), error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(RipsTest, RipPutInTheVirtualDriveMakesItTheDefaultAndTheAliasFollows) {
    mci::resetForTesting();
    std::vector<std::unique_ptr<Drive>> drives;
    drives.push_back(std::make_unique<FakeDrive>(std::vector<int>{750, 750}));
    drives.push_back(std::make_unique<VirtualDrive>("CORVINA VIRTUAL DRIVE", nullptr));
    auto* real = static_cast<FakeDrive*>(drives[0].get());
    DriveSet::install(std::move(drives));
    DriveSet& set = DriveSet::instance();
    VirtualDrive* drive = set.virtualDrive();
    ASSERT_TRUE(drive);
    char reply[64] = {};
    mci::sendString("open cdaudio alias CorvinaCD wait shareable");
    mci::sendString("play CorvinaCD");
    EXPECT_TRUE(real->isPlaying());

    // The tray of the empty virtual drive: open, then a rip goes in and it closes.
    drive->setDoorOpen(true);
    QString error;
    drive->insert(loadRip(rip(), error), rip());
    EXPECT_FALSE(drive->isDoorOpen());
    set.makeDefault(drive);
    EXPECT_FALSE(real->isPlaying());
    EXPECT_EQ(set.drives().front().letter, QChar('E'));  // letters stay with their drives
    EXPECT_EQ(set.byRoot("D:"), real);
    mci::sendString("status CorvinaCD number of tracks", reply, sizeof reply);
    EXPECT_STREQ(reply, "3");
    EXPECT_EQ(volumeSerial(QString()), discSerial(*drive->toc()));
    mci::sendString("close CorvinaCD");
    mci::resetForTesting();
    DriveSet::install({});
}

}  // namespace
