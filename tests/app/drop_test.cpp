// Rips dropped on the main window (either view) and on the track list, through Qt's drop events.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QTemporaryDir>

#include "forms/Tracks.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/RememberedDisc.h"
#include "platform/cd/VirtualDrive.h"
#include "platform/registry/DriveList.h"
#include "tests/app/MainFixture.h"

namespace corvina::test {
namespace {

class DropTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        cd::rememberDisc(QString());
        album = makeRip("album", 4);
        // A machine with a CD drive holding a disc, and the empty virtual drive for drops.
        std::vector<std::unique_ptr<cd::Drive>> drives;
        drives.push_back(std::make_unique<cd::FakeDrive>(std::vector<int>{kMinute, kMinute}));
        drive_ = static_cast<cd::FakeDrive*>(drives.back().get());
        drives.push_back(
            std::make_unique<cd::VirtualDrive>(QStringLiteral("CORVINA VIRTUAL DRIVE"), nullptr));
        cd::DriveSet::install(std::move(drives));
        publishDriveBranch();  // as the program does before its window
        writeSettings();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        cd::rememberDisc(QString());
    }
    QString makeRip(const char* name, int tracks) {
        const QString folder = QDir(dir.path()).filePath(QLatin1String(name));
        QDir().mkpath(folder);
        for (int t = 1; t <= tracks; ++t) {
            QFile file(QDir(folder).filePath(QStringLiteral("%1.wav").arg(t)));
            file.open(QIODevice::WriteOnly);
            file.write(pcmWav(588 * 150, 0x0202));
        }
        return folder;
    }
    // Drags `paths` over `target` and drops them; true when the drag was accepted.
    static bool drop(QWidget* target, const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths) urls.append(QUrl::fromLocalFile(path));
        data.setUrls(urls);
        const QPoint at(100, 20);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        return dropped.isAccepted();
    }
    cd::VirtualDrive* virtualDrive() { return cd::DriveSet::instance().virtualDrive(); }

    QTemporaryDir dir;
    QString album;
};

TEST_F(DropTest, DroppedRipGoesInPlaysAndIsRememberedInEitherView) {
    TFormMain& form = start();
    ASSERT_TRUE(form.Playing);  // the real drive's disc played at start
    EXPECT_EQ(form.DriveRoot, "D:");

    ASSERT_TRUE(drop(&form, {album}));
    EXPECT_TRUE(errors_->messages().isEmpty()) << errors_->messages().join('\n').toStdString();
    EXPECT_EQ(cd::DriveSet::instance().defaultDrive(), virtualDrive());
    EXPECT_FALSE(drive_->isPlaying());
    EXPECT_TRUE(virtualDrive()->isPlaying());
    EXPECT_TRUE(takeCommands().contains("play CorvinaCD"));
    EXPECT_EQ(form.TrackCount, "4");
    EXPECT_EQ(form.DriveRoot, "E:");  // the drive list names the virtual drive first now
    QString problem;
    EXPECT_EQ(cd::rememberedDisc(problem), album);

    // The compact view takes drops too (its panel passes them to the window).
    form.MenuPortivoClick(nullptr);
    const QString other = makeRip("other", 2);
    ASSERT_TRUE(drop(form.Portivo, {other}));
    EXPECT_EQ(form.TrackCount, "2");
    EXPECT_EQ(cd::rememberedDisc(problem), other);
}

TEST_F(DropTest, RefusedDropsChangeNothing) {
    TFormMain& form = start();
    QFile notes(QDir(dir.path()).filePath("notes.txt"));
    notes.open(QIODevice::WriteOnly);
    notes.close();
    EXPECT_FALSE(drop(&form, {notes.fileName()}));
    EXPECT_FALSE(drop(&form, {album, album}));
    EXPECT_FALSE(drop(&form, {}));

    // Looks like a rip, but cannot be played: one clear message, nothing changes.
    QFile cue(QDir(dir.path()).filePath("broken.cue"));
    cue.open(QIODevice::WriteOnly);
    cue.write("FILE \"gone.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n");
    cue.close();
    takeCommands();
    EXPECT_TRUE(drop(&form, {cue.fileName()}));
    ASSERT_EQ(errors_->messages().size(), 1);
    EXPECT_TRUE(errors_->messages()[0].contains("gone.wav"));
    EXPECT_TRUE(takeCommands().isEmpty());
    EXPECT_EQ(cd::DriveSet::instance().defaultDrive(), drive_);
    EXPECT_TRUE(drive_->isPlaying());
    EXPECT_FALSE(QFile::exists(cd::rememberedDiscFile()));
}

TEST_F(DropTest, DropWithTheTrayOpenInsertsAndClosesIt) {
    TFormMain& form = start();
    ASSERT_TRUE(drop(&form, {album}));
    form.CDEject(nullptr);
    ASSERT_FALSE(form.DoorClosed);
    EXPECT_FALSE(virtualDrive()->toc());  // eject empties the drive
    EXPECT_EQ(form.LabelStatus->Caption(), QStringLiteral("无碟"));

    const QString other = makeRip("other", 3);
    ASSERT_TRUE(drop(&form, {other}));
    EXPECT_TRUE(form.DoorClosed);
    EXPECT_FALSE(virtualDrive()->isDoorOpen());
    EXPECT_TRUE(form.Playing);
    EXPECT_TRUE(virtualDrive()->isPlaying());
    EXPECT_EQ(form.TrackCount, "3");
    // The next eject opens the tray again as usual.
    form.CDEject(nullptr);
    EXPECT_TRUE(virtualDrive()->isDoorOpen());
}

TEST_F(DropTest, TrackListTakesDropsAndShowsTheNewDisc) {
    TFormMain& form = start();
    TFormTracks tracks(&form);
    ASSERT_EQ(tracks.ListBox->count(), 2);  // the real drive's disc
    ASSERT_TRUE(drop(&tracks, {album}));
    EXPECT_TRUE(errors_->messages().isEmpty()) << errors_->messages().join('\n').toStdString();
    EXPECT_TRUE(virtualDrive()->isPlaying());
    EXPECT_EQ(tracks.ListBox->count(), 4);
    EXPECT_EQ(tracks.CDSerial->text(), form.DiscSerial);
    EXPECT_FALSE(drop(tracks.NameEdit, {QDir(dir.path()).filePath("nothing.txt")}));
    EXPECT_TRUE(tracks.NameEdit->text().isEmpty());
}

}  // namespace
}  // namespace corvina::test
