// Online lookups in the running player, against the fake name servers: a disc left unnamed is
// looked up once, the names fill only what its own names leave empty and show wherever disc
// names show, the cache spares the next run its requests, and off, or named, nothing is sent.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "components/ScrollingText.h"
#include "forms/Preferences.h"
#include "forms/Tracks.h"
#include "lookup/Cache.h"
#include "lookup/Request.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/VirtualDrive.h"
#include "platform/lookup/OnlineNames.h"
#include "platform/profile/IniFile.h"
#include "platform/registry/Registry.h"
#include "tests/app/MainFixture.h"
#include "tests/support/FakeNameServer.h"

namespace corvina::test {
namespace {

// A release of three tracks with a front cover; names GBK cannot hold among them.
const QByteArray kScenario = R"({"routes": [
    {"match": "/ws/2/discid/", "replies": [{"body_file": "mb.json"}]},
    {"match": "/front-250", "replies": [{"body_file": "cover.png"}]}]})";
const QByteArray kRelease = R"({"id": "{discid}", "releases": [{
    "id": "r1", "title": "专辑", "date": "2001", "artist-credit": [{"name": "Ann"}],
    "cover-art-archive": {"front": true},
    "media": [{"format": "CD", "track-count": 3, "discs": [{"id": "{discid}"}], "tracks": [
        {"position": 1, "title": "One"}, {"position": 2, "title": "둘 🎵"},
        {"position": 3, "title": "Three"}]}]}]})";

class OnlineLookupTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        QFile::remove(discTitleFilePath());
        QDir(lookup::cacheFolder()).removeRecursively();
        lookup::resetForTesting();
        lookup::setHelperForTesting(lookupHelperPath());
    }
    void TearDown() override {
        lookup::resetForTesting();
        MainWindowTest::TearDown();
    }
    std::unique_ptr<FakeNameServer> serve() {
        auto server = std::make_unique<FakeNameServer>(kScenario);
        server->writeFile("mb.json", kRelease);
        server->writeFile("cover.png", "\x89PNG\r\n\x1A\n a picture");
        return server;
    }
    // Starts the player on an unnamed disc of three tracks (with these settings) and lets any
    // lookup it begins end.
    TFormMain& startAndSettle(const std::map<QString, bool>& settings = {}) {
        if (!drive_) insertDrive({3 * kMinute, 3 * kMinute, 3 * kMinute});
        writeSettings(settings);
        TFormMain& form = start();
        settle();
        tick();
        return form;
    }
    static void settle() {
        QCoreApplication::processEvents();
        EXPECT_TRUE(QTest::qWaitFor([] { return !lookup::busyForTesting(); }, 30000));
    }
    // A new run of the player: the window and everything it remembered are gone.
    void restart() {
        form_.reset();
        lookup::resetForTesting();
    }
    QString text() const { return form_->ScrollText->Text(); }
    void toTrack(int n) {
        drive_->seek(drive_->toc()->trackStart(n));
        tick();
        tick();
    }
};

TEST_F(OnlineLookupTest, FillsOnlyWhatTheDiscsOwnNamesLeaveEmptyWhereverDiscNamesShow) {
    const auto server = serve();
    insertDrive({3 * kMinute, 3 * kMinute, 3 * kMinute});
    cd::CdText own;
    own.performer = QStringLiteral("自己");
    own.trackTitles = {QString(), QStringLiteral("Own two")};
    drive_->setCdText(own);
    TFormMain& form = startAndSettle();

    // The disc's own artist stays; the album and track 1 come from the lookup.
    EXPECT_EQ(text(), QStringLiteral("自己 - 专辑 - One"));
    EXPECT_EQ(form.ScrollText->Hint(), QStringLiteral("自己 - 专辑\n\nOne\n01 03:00"));
    toTrack(2);
    EXPECT_EQ(text(), QStringLiteral("自己 - 专辑 - Own two"));
    // The title file wins over both.
    TIniFile(discTitleFilePath()).writeString(form.DiscSerial, "2", QStringLiteral("文件里的"));
    toTrack(3);
    EXPECT_EQ(text(), QStringLiteral("自己 - 专辑 - 文件里的"));

    // The cover, for the desktop's media controls.
    const QString cover = lookup::coverArtUrl(form.DriveRoot);
    ASSERT_TRUE(cover.startsWith("file://")) << cover.toStdString();
    EXPECT_TRUE(QFile::exists(QUrl(cover).toLocalFile()));

    // The track list offers the same names, and saves them as it saves the disc's own.
    {
        TFormTracks tracks;
        ASSERT_EQ(tracks.ListBox->count(), 3);
        EXPECT_EQ(tracks.ListBox->item(0)->text(), "One");
        EXPECT_EQ(tracks.ListBox->item(1)->text(), "Own two");
        EXPECT_EQ(tracks.ListBox->item(2)->text(), QStringLiteral("文件里的"));
        tracks.show();
        tracks.ListBox->setCurrentRow(0);
        tracks.close();
    }
    const TIniFile titles(discTitleFilePath());
    EXPECT_EQ(titles.readString(form.DiscSerial, "Title", {}), QStringLiteral("专辑"));
    EXPECT_EQ(titles.readString(form.DiscSerial, "0", {}), "One");

    // One lookup: the disc and its cover. Nothing reached the error report.
    EXPECT_EQ(server->requests().size(), 2);
    EXPECT_TRUE(errors_->messages().isEmpty()) << errors_->messages().join('\n').toStdString();
}

TEST_F(OnlineLookupTest, NamesGbkCannotHoldShowAndSurviveTheTitleFile) {
    const auto server = serve();
    TFormMain& form = startAndSettle();
    toTrack(2);
    EXPECT_EQ(text(), QStringLiteral("Ann - 专辑 - 둘 🎵"));
    {
        TFormTracks tracks;
        tracks.show();
        tracks.ListBox->setCurrentRow(1);
        tracks.close();
    }
    // Saved by the track list in the title file's own form for such names, and read back whole.
    EXPECT_EQ(TIniFile(discTitleFilePath()).readString(form.DiscSerial, "1", {}),
              QStringLiteral("둘 🎵"));
    restart();
    start();
    settle();
    toTrack(2);
    EXPECT_EQ(text(), QStringLiteral("Ann - 专辑 - 둘 🎵"));
    // Named by the title file now: the second run asked nothing.
    EXPECT_EQ(server->requests().size(), 2);
}

TEST_F(OnlineLookupTest, TheNextRunNamesTheDiscFromTheCacheWithoutARequest) {
    const auto server = serve();
    startAndSettle();
    ASSERT_EQ(text(), QStringLiteral("Ann - 专辑 - One"));
    const qsizetype asked = server->requests().size();
    restart();
    start();
    settle();
    tick();
    EXPECT_EQ(text(), QStringLiteral("Ann - 专辑 - One"));
    EXPECT_FALSE(lookup::coverArtUrl(form_->DriveRoot).isEmpty());
    EXPECT_EQ(server->requests().size(), asked);
    // Nor is the disc asked again when it comes back in the same run.
    drive_->setDoorOpen(true);
    tick();
    drive_->setDoorOpen(false);
    tick();
    settle();
    EXPECT_EQ(server->requests().size(), asked);
}

TEST_F(OnlineLookupTest, SwitchedOffNothingIsSentAndTheOldDefaultsShow) {
    const auto server = serve();
    startAndSettle({{"OnlineLookup", false}});
    EXPECT_EQ(text(), QStringLiteral("Artist - Album - Track 01"));
    EXPECT_TRUE(server->requests().isEmpty());
    EXPECT_FALSE(QDir(lookup::cacheFolder()).exists());

    // Switched on in the Preferences dialog: the disc is looked up at once.
    const auto choose = [this](bool on) {
        TFormPreferences preferences(form_.get());
        preferences.show();
        preferences.cbOnlineLookup->setChecked(on);
        QTest::mouseClick(preferences.ButtonOK, Qt::LeftButton);
    };
    choose(true);
    settle();
    tick();
    EXPECT_EQ(text(), QStringLiteral("Ann - 专辑 - One"));
    // And off again: the found names are no longer shown, and nothing more is sent.
    choose(false);
    tick();
    EXPECT_EQ(text(), QStringLiteral("Artist - Album - Track 01"));
    EXPECT_TRUE(lookup::coverArtUrl(form_->DriveRoot).isEmpty());
    EXPECT_EQ(server->requests().size(), 2);
}

TEST_F(OnlineLookupTest, ANamedDiscTheDemoDiscAndNoServerMakeNoRequest) {
    {
        const auto server = serve();
        insertDrive({3 * kMinute, 3 * kMinute});
        cd::CdText named;
        named.performer = QStringLiteral("王菲");
        named.title = QStringLiteral("唱游");
        named.trackTitles = {QStringLiteral("打错了"), QStringLiteral("催眠")};
        drive_->setCdText(named);
        startAndSettle();
        EXPECT_EQ(text(), QStringLiteral("王菲 - 唱游 - 打错了"));
        restart();

        // Unnamed, but every name is in the title file (even an empty one, which is a name).
        drive_->setCdText(std::nullopt);
        start();
        TIniFile titles(discTitleFilePath());
        for (const char* key : {"Artist", "Title", "0"})
            titles.writeString(form_->DiscSerial, key, "x");
        titles.writeString(form_->DiscSerial, "1", QString());
        settle();
        restart();

        std::vector<std::unique_ptr<cd::Drive>> drives;
        drives.push_back(cd::VirtualDrive::withDemoDisc());
        cd::DriveSet::install(std::move(drives));
        drive_ = nullptr;
        start();
        settle();
        EXPECT_TRUE(server->requests().isEmpty());
        restart();
    }
    // Unnamed, but no server configured (the test environment's own state).
    QFile::remove(discTitleFilePath());
    insertDrive({3 * kMinute, 3 * kMinute});
    startAndSettle();
    EXPECT_EQ(text(), QStringLiteral("Artist - Album - Track 01"));
    EXPECT_FALSE(QDir(lookup::cacheFolder()).exists());
}

TEST_F(OnlineLookupTest, GnudbIsGreetedWithTheUsersAddressElseTheBuildsContact) {
    FakeNameServer server(R"({"routes": [
        {"match": "/ws/2/discid/", "replies": [{"status": 404}]},
        {"match": "cddb+query", "replies": [{"body": "202 No match\n"}]}]})");
    const auto hello = [&server] {
        const QString query = server.requests().back()["query"].toString();
        return query.section("hello=", 1).section('&', 0, 0);
    };
    startAndSettle();
    const QString contact = lookup::contactAddress();
    EXPECT_EQ(hello(), contact.section('@', 0, 0) + "+" + contact.section('@', 1) + "+Corvina+4.3");

    restart();
    QFile::remove(lookup::cacheFolder() + "/" +
                  server.requests()[0]["path"].toString().section('/', -1) + ".json");
    {
        TRegistry registry(RootKey::CurrentUser);
        ASSERT_TRUE(registry.openKey("Software\\Velmaro\\Corvina\\4.3\\Lookup", true));
        registry.writeString("GnudbEmail", "listener@example.org");
    }
    start();
    settle();
    EXPECT_EQ(hello(), "listener+example.org+Corvina+4.3");
}

TEST_F(OnlineLookupTest, AFailedLookupChangesNothingAndIsNotRepeatedInTheRun) {
    FakeNameServer server(
        R"({"routes": [{"match": "/ws/2/discid/", "replies": [{"status": 500}]}]})");
    startAndSettle();
    EXPECT_EQ(text(), QStringLiteral("Artist - Album - Track 01"));
    drive_->setDoorOpen(true);
    tick();
    drive_->setDoorOpen(false);
    tick();
    settle();
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(errors_->messages().isEmpty()) << errors_->messages().join('\n').toStdString();
    EXPECT_FALSE(QFile::exists(lookup::cacheFolder() + "/" +
                               server.requests()[0]["path"].toString().section('/', -1) + ".json"));
}

}  // namespace
}  // namespace corvina::test
