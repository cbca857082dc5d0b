// MusicBrainz's disc-ID reply: which release is shown when several match, what is read of each,
// and what a broken reply gives.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "lookup/MusicBrainzReply.h"

namespace corvina::lookup {
namespace {

const QString kDisc = QStringLiteral("49HHV7Eb8UKF3aQiNmu1GR8vKTY-");

struct Medium {
    QString format = QStringLiteral("CD");
    int tracks = 6;
    bool listsDisc = false;
};

QJsonObject release(const QString& id, const QString& date, const std::vector<Medium>& media) {
    QJsonArray mediaJson;
    for (const Medium& m : media) {
        QJsonArray tracks;
        for (int n = 1; n <= m.tracks; ++n)
            tracks.append(
                QJsonObject{{"position", n}, {"title", QStringLiteral("%1 t%2").arg(id).arg(n)}});
        QJsonObject medium{{"format", m.format}, {"track-count", m.tracks}, {"tracks", tracks}};
        if (m.listsDisc) medium.insert("discs", QJsonArray{QJsonObject{{"id", kDisc}}});
        mediaJson.append(medium);
    }
    QJsonObject r{{"id", id}, {"title", id}, {"media", mediaJson}};
    if (!date.isEmpty()) r.insert("date", date);
    return r;
}

QByteArray reply(const QJsonArray& releases) {
    return QJsonDocument(QJsonObject{{"id", kDisc}, {"releases", releases}}).toJson();
}

QStringList order(const QJsonArray& releases) {
    QStringList ids;
    const auto read = readMusicBrainzReply(reply(releases), kDisc, 6);
    if (!read) return {QStringLiteral("malformed")};
    for (const Release& r : *read) ids.append(r.id);
    return ids;
}

TEST(MusicBrainzReply, TheChoiceRuleDecidesRuleByRule) {
    // 1. A medium listing the disc's own ID beats a TOC match, however old or CD the other.
    EXPECT_EQ(
        order({release("toc", "1980", {{}}), release("id", "2005", {{"Digital Media", 6, true}})}),
        (QStringList{"id", "toc"}));
    // 2. Then a medium of the disc's track count (a listed disc may differ, as with a hidden
    //    track or a data track counted by the release).
    EXPECT_EQ(order({release("seven", "1980", {{"CD", 7, true}}),
                     release("six", "2005", {{"CD", 6, true}})}),
              (QStringList{"six", "seven"}));
    // 3. Then a CD format before any other.
    EXPECT_EQ(
        order({release("vinyl", "1970", {{"Vinyl"}}), release("ecd", "1990", {{"Enhanced CD"}}),
               release("sacd", "1980", {{"Hybrid SACD"}})}),
        (QStringList{"sacd", "ecd", "vinyl"}));
    // 4. Then the earliest date; within a year a full date before the bare year; no date last.
    EXPECT_EQ(order({release("none", "", {{}}), release("2001", "2001", {{}}),
                     release("1999", "1999", {{}}), release("1999-05-10", "1999-05-10", {{}})}),
              (QStringList{"1999-05-10", "1999", "2001", "none"}));
    // Ties keep the reply's order.
    EXPECT_EQ(order({release("b", "2000", {{}}), release("a", "2000", {{}})}),
              (QStringList{"b", "a"}));
}

TEST(MusicBrainzReply, EachReleaseTakesTheMediumOfTheDisc) {
    // A two-disc set whose second medium is this disc; a release with no medium of six tracks
    // and none listing the disc cannot be it.
    const auto read =
        readMusicBrainzReply(reply({release("set", "2000", {{"CD", 10}, {"CD", 6, true}}),
                                    release("other", "2000", {{"CD", 9}})}),
                             kDisc, 6);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), 1u);
    EXPECT_EQ(read->front().tracks.size(), 6u);
    EXPECT_EQ(read->front().mediumTracks, 6);
    EXPECT_TRUE(read->front().discIdMatches);
}

TEST(MusicBrainzReply, ReadsCreditsTitlesAndCoverOfAReleaseList) {
    // The answer to an unknown disc ID whose TOC matched: a list of releases.
    const QByteArray json = R"({"release-count": 1, "releases": [{
        "id": "a1", "title": "  Album  ", "date": "1999-05-10", "country": "GB",
        "artist-credit": [{"name": "Ann", "joinphrase": " & "}, {"name": "Bob", "joinphrase": " feat. "},
                          {"name": "王菲"}],
        "cover-art-archive": {"front": true, "count": 2},
        "media": [{"format": "CD", "track-count": 3, "tracks": [
            {"position": 3, "title": "Third 🎵"}, {"position": 1, "title": " First "},
            {"position": 7, "title": "beyond the disc"}, {"position": 0, "title": "hidden"},
            {"title": 5}]}]}]})";
    const auto read = readMusicBrainzReply(json, kDisc, 3);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), 1u);
    const Release& r = read->front();
    EXPECT_EQ(r.id, "a1");
    EXPECT_EQ(r.artist, QStringLiteral("Ann & Bob feat. 王菲"));
    EXPECT_EQ(r.album, "Album");
    EXPECT_EQ(r.date, "1999-05-10");
    EXPECT_EQ(r.country, "GB");
    EXPECT_TRUE(r.frontCover);
    EXPECT_FALSE(r.discIdMatches);
    // Position 2 is named by nothing; the nameless fifth entry is track 5, beyond the disc.
    EXPECT_EQ(r.tracks, (std::vector<QString>{"First", "", QStringLiteral("Third 🎵")}));
}

TEST(MusicBrainzReply, ABrokenReplyIsMalformedAndOddPartsAreLeftOut) {
    for (const char* bad : {"", "not json", "[1, 2]", "{\"releases\": ", "\"text\""})
        EXPECT_FALSE(readMusicBrainzReply(QByteArray(bad), kDisc, 6)) << bad;
    for (const char* empty : {"{}", "{\"releases\": 5}", "{\"releases\": [1, \"x\", {}]}",
                              "{\"releases\": [{\"media\": {\"tracks\": 6}}]}"}) {
        const auto read = readMusicBrainzReply(QByteArray(empty), kDisc, 6);
        ASSERT_TRUE(read) << empty;
        EXPECT_TRUE(read->empty()) << empty;
    }
    // A name of absurd length is cut.
    const QString longName(100000, QLatin1Char('a'));
    const QJsonObject odd{
        {"id", "x"}, {"title", longName}, {"media", QJsonArray{QJsonObject{{"track-count", 6}}}}};
    const auto read = readMusicBrainzReply(reply({odd}), kDisc, 6);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), 1u);
    EXPECT_EQ(read->front().album.size(), 1000);
    EXPECT_TRUE(read->front().tracks.empty());
}

}  // namespace
}  // namespace corvina::lookup
