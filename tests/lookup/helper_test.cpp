// The lookup helper against the fake name servers: what it asks, in what order and how often,
// what it keeps in the cache, and how each kind of failure ends.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

#include "lookup/Cache.h"
#include "lookup/Request.h"
#include "tests/support/FakeNameServer.h"

namespace corvina::lookup {
namespace {

using test::FakeNameServer;

const QString kDisc = QStringLiteral("49HHV7Eb8UKF3aQiNmu1GR8vKTY-");
const QString kRelease = QStringLiteral("22222222-2222-2222-2222-222222222222");

// One release matching the disc's ID, with a front cover, and an older vinyl matched by TOC.
const QByteArray kMusicBrainz = R"({"id": "{discid}", "releases": [
  {"id": "11111111-1111-1111-1111-111111111111", "title": "Vinyl", "date": "1990",
   "artist-credit": [{"name": "Ann"}],
   "media": [{"format": "Vinyl", "track-count": 2, "tracks": [{"position": 1, "title": "v"}]}]},
  {"id": "22222222-2222-2222-2222-222222222222", "title": "专辑", "date": "1999",
   "artist-credit": [{"name": "Ann", "joinphrase": " & "}, {"name": "Bob"}],
   "cover-art-archive": {"front": true},
   "media": [{"format": "CD", "track-count": 2, "discs": [{"id": "{discid}"}],
              "tracks": [{"position": 1, "title": "One"}, {"position": 2, "title": "Два"}]}]}]})";

const QByteArray kCddbRead =
    "210 rock 3404f606 CD database entry follows\n"
    "DTITLE=Carol / Gnudb Album\nTTITLE0=First\nTTITLE1=Sec\nTTITLE1=ond\n.\n";

struct Outcome {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

class HelperTest : public ::testing::Test {
protected:
    Outcome run(int timeoutMs = 10000, const QString& disc = kDisc) {
        LookupRequest request;
        request.cacheFolder = cache.path();
        request.discId = disc;
        request.toc = QStringLiteral("1 2 30000 150 15000");
        request.freedbId = QStringLiteral("3404f606");
        request.cddbQuery = QStringLiteral("2 150 15000 400");
        request.audioTracks = 2;
        request.gnudbEmail = QStringLiteral("me+cddb@example.org");
        request.timeoutMs = timeoutMs;
        QProcess helper;
        helper.start(test::lookupHelperPath(), toArguments(request));
        EXPECT_TRUE(helper.waitForFinished(60000));
        return {helper.exitCode(), helper.readAllStandardOutput(), helper.readAllStandardError()};
    }
    std::optional<CacheEntry> entry(const QString& disc = kDisc) const {
        return readEntry(cache.path(), disc);
    }
    // The request paths the server saw, with the command of a CDDB request.
    static QStringList asked(const FakeNameServer& server) {
        QStringList paths;
        for (const QJsonObject& r : server.requests()) {
            const QString query = r["query"].toString();
            paths.append(r["path"].toString() +
                         (query.startsWith("cmd=") ? " " + query.section('&', 0, 0) : QString()));
        }
        return paths;
    }
    static void expectOneLine(const Outcome& r, const char* about) {
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(about)) << r.err.toStdString();
    }
    QTemporaryDir cache;
};

QByteArray scenario(const QByteArray& routes) {
    return "{\"routes\": [" + routes + "]}";
}

TEST_F(HelperTest, MusicBrainzNamesAndTheCoverAfterA503AskedOnceASecond) {
    FakeNameServer server(scenario(R"(
        {"match": "/ws/2/discid/", "replies": [{"status": 503, "headers": {"Retry-After": "1"}},
                                               {"body_file": "mb.json"}]},
        {"match": "/front-250", "replies": [{"redirect": "/picture"}]},
        {"match": "/picture", "replies": [{"body_file": "cover.jpg"}]})"));
    server.writeFile("mb.json", kMusicBrainz);
    server.writeFile("cover.jpg", QByteArray("\xFF\xD8\xFF\xE0 a small picture", 20));

    const Outcome r = run();
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "names\ncover\n");
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();

    const std::optional<CacheEntry> e = entry();
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->found);
    EXPECT_EQ(e->source, "musicbrainz");
    EXPECT_EQ(e->chosen.id, kRelease);
    EXPECT_EQ(e->chosen.artist, "Ann & Bob");
    EXPECT_EQ(e->chosen.album, QStringLiteral("专辑"));
    EXPECT_EQ(e->chosen.tracks, (std::vector<QString>{"One", QStringLiteral("Два")}));
    ASSERT_EQ(e->others.size(), 1u);
    EXPECT_EQ(e->others[0].album, "Vinyl");
    EXPECT_EQ(e->cover, kDisc + ".jpg");
    QFile cover(cache.filePath(e->cover));
    ASSERT_TRUE(cover.open(QIODevice::ReadOnly));
    EXPECT_TRUE(cover.readAll().startsWith("\xFF\xD8\xFF"));

    const QList<QJsonObject> requests = server.requests();
    EXPECT_EQ(asked(server), (QStringList{"/ws/2/discid/" + kDisc, "/ws/2/discid/" + kDisc,
                                          "/release/" + kRelease + "/front-250", "/picture"}));
    const QString query = requests[0]["query"].toString();
    EXPECT_TRUE(query.contains("inc=recordings+artist-credits")) << query.toStdString();
    EXPECT_TRUE(query.contains("fmt=json"));
    EXPECT_TRUE(query.contains("toc=1+2+30000+150+15000"));
    for (const QJsonObject& request : requests) {
        EXPECT_EQ(request["headers"].toObject()["User-Agent"].toString(), userAgent());
    }
    EXPECT_TRUE(userAgent().startsWith("Corvina/4.3 ( ")) << userAgent().toStdString();
    // The 503 was answered by waiting, and every request (the redirect followed within one)
    // came at least a second after the one before.
    for (int i : {1, 2}) {
        EXPECT_GE(requests[i]["time"].toDouble() - requests[i - 1]["time"].toDouble(), 0.95) << i;
    }

    // The next helper run keeps the spacing with this run's last request.
    const Outcome again = run(10000, QStringLiteral("I5l9cCSFccLKFEKS.7wqSZAorPU-"));
    EXPECT_EQ(again.code, 0);
    const QList<QJsonObject> all = server.requests();
    ASSERT_EQ(all.size(), 7);
    EXPECT_GE(all[4]["time"].toDouble() - all[2]["time"].toDouble(), 0.95);
}

TEST_F(HelperTest, GnudbWhenMusicBrainzKnowsNoSuchDisc) {
    FakeNameServer server(scenario(R"(
        {"match": "/ws/2/discid/", "replies": [{"status": 404, "body": "{\"error\": \"Not found\"}"}]},
        {"match": "cddb+query", "replies": [{"body": "211 inexact\nmisc 00000001 No / Such\nrock 3404f606 Carol / Gnudb Album\n.\n"}]},
        {"match": "cddb+read+rock+3404f606", "replies": [{"body_file": "read.txt"}]})"));
    server.writeFile("read.txt", kCddbRead);
    const Outcome r = run();
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "names\n");
    const std::optional<CacheEntry> e = entry();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->source, "gnudb");
    EXPECT_EQ(e->chosen.artist, "Carol");
    EXPECT_EQ(e->chosen.album, "Gnudb Album");
    EXPECT_EQ(e->chosen.tracks, (std::vector<QString>{"First", "Second"}));
    EXPECT_TRUE(e->cover.isEmpty());

    EXPECT_EQ(asked(server), (QStringList{"/ws/2/discid/" + kDisc,
                                          "/~cddb/cddb.cgi cmd=cddb+query+3404f606+2+150+15000+400",
                                          "/~cddb/cddb.cgi cmd=cddb+read+rock+3404f606"}));
    // The hello names the user's address, its '+' kept apart from the separators.
    const QString query = server.requests()[1]["query"].toString();
    EXPECT_TRUE(query.contains("hello=me%2Bcddb+example.org+Corvina+4.3")) << query.toStdString();
    EXPECT_TRUE(query.endsWith("proto=6"));
}

TEST_F(HelperTest, NoMatchAnywhereAndARefusalAreCachedAsNotFound) {
    {
        FakeNameServer server(scenario(R"(
            {"match": "/ws/2/discid/", "replies": [{"body": "{\"release-count\": 0, \"releases\": []}"}]},
            {"match": "cddb+query", "replies": [{"body": "202 No match for disc ID 3404f606.\n"}]})"));
        const Outcome r = run();
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.out, "none\n");
        expectOneLine(r, "no names found online");
        ASSERT_TRUE(entry());
        EXPECT_FALSE(entry()->found);
        EXPECT_FALSE(isStale(*entry(), QDateTime::currentDateTimeUtc()));
        EXPECT_TRUE(isStale(*entry(), QDateTime::currentDateTimeUtc().addDays(kNotFoundDays + 1)));
    }
    QFile::remove(entryPath(cache.path(), kDisc));
    // gnudb refuses a client it does not know: quietly "not found", beyond the one line.
    FakeNameServer server(scenario(R"(
        {"match": "/ws/2/discid/", "replies": [{"status": 404}]},
        {"match": "cddb+query", "replies": [{"body": "500 Unknown developer email\n"}]})"));
    const Outcome r = run();
    EXPECT_EQ(r.code, 0);
    expectOneLine(r, "refused");
    ASSERT_TRUE(entry());
    EXPECT_FALSE(entry()->found);
}

TEST_F(HelperTest, EachFailureWritesNothingAndSaysOneLine) {
    struct Case {
        const char* name;
        QByteArray reply;
        const char* said;
    };
    const Case cases[] = {
        {"slow", R"({"delay": 3, "body": "{}"})", "no answer within 1 s"},
        {"trickling", R"({"trickle": 0.3, "size": 200})", "no answer within 1 s"},
        {"malformed", R"({"body": "<html>busy</html>"})", "not what it should be"},
        {"oversized", R"({"size": 5000000})", "longer than"},
        {"oversized, no length", R"({"size": 5000000, "no_length": true})", "longer than"},
        {"server error", R"({"status": 500})", "status 500"},
        {"503 for good", R"({"status": 503, "headers": {"Retry-After": "1"}})", "status 503"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeNameServer server(
            scenario(R"({"match": "/ws/2/discid/", "replies": [)" + c.reply + "]}"));
        const Outcome r = run(1000);
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.out.isEmpty());
        expectOneLine(r, c.said);
        EXPECT_FALSE(entry());
        // Nothing but MusicBrainz was asked (three times for the lasting 503).
        EXPECT_EQ(server.requests().size(), std::string(c.name) == "503 for good" ? 3 : 1);
    }

    // A refused connection.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QByteArray nobody = "http://127.0.0.1:" + QByteArray::number(closed.serverPort());
    closed.close();
    qputenv("CORVINA_MUSICBRAINZ_URL", nobody);
    const Outcome refused = run();
    qputenv("CORVINA_MUSICBRAINZ_URL", QByteArray());
    EXPECT_EQ(refused.code, 1);
    expectOneLine(refused, "MusicBrainz");
    EXPECT_FALSE(entry());
}

}  // namespace
}  // namespace corvina::lookup
