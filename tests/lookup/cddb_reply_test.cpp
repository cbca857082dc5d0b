// gnudb's replies: the query's matches and refusals, and an xmcd entry with repeated and split
// keys, escapes and other encodings.
#include <gtest/gtest.h>

#include "lookup/CddbReply.h"

namespace corvina::lookup {
namespace {

using Kind = CddbQueryReply::Kind;

TEST(CddbReply, QueryMatchesRefusalsAndTheChoice) {
    CddbQueryReply one = readCddbQuery("200 rock 3404f606 Ann / Album\r\n");
    ASSERT_EQ(one.kind, Kind::Found);
    ASSERT_EQ(one.matches.size(), 1u);
    EXPECT_EQ(one.matches[0].category, "rock");
    EXPECT_EQ(one.matches[0].discId, "3404f606");
    EXPECT_EQ(one.matches[0].title, "Ann / Album");

    const CddbQueryReply list = readCddbQuery(
        "211 Found inexact matches, list follows (until terminating `.')\n"
        "misc 3404f607 Other / Thing\n"
        "rock 3404f606 Ann / Album\n"
        "bad/category 3404f606 Sneaky\n"
        ".\n"
        "jazz 12345678 after the end\n");
    ASSERT_EQ(list.kind, Kind::Found);
    ASSERT_EQ(list.matches.size(), 2u);  // the category with a slash is no word
    // The disc's own ID before the server's first.
    EXPECT_EQ(chooseCddbMatch(list.matches, "3404f606")->category, "rock");
    EXPECT_EQ(chooseCddbMatch(list.matches, "abcdef01")->category, "misc");
    EXPECT_EQ(chooseCddbMatch({}, "abcdef01"), nullptr);

    EXPECT_EQ(readCddbQuery("202 No match for disc ID 3404f606.\n").kind, Kind::NotFound);
    for (const char* refusal : {"500 Unknown developer email\n", "403 Database entry is corrupt\n",
                                "409 No handshake\n", "530 Server error\n"})
        EXPECT_EQ(readCddbQuery(refusal).kind, Kind::Refused) << refusal;
    for (const char* bad : {"", "hello", "20 x", "210 list follows\n.\n", "200\n", "2000 rock"})
        EXPECT_EQ(readCddbQuery(bad).kind, Kind::Malformed) << bad;
}

TEST(CddbReply, AnEntryJoinsRepeatedKeysAndSplitsTheTitle) {
    const QByteArray entry =
        "210 rock 3404f606 CD database entry follows (until terminating `.')\r\n"
        "# xmcd\r\n"
        "# TTITLE9=a comment, not a name\r\n"
        "DISCID=3404f606\r\n"
        "DTITLE=Ann & Bob / The Long\r\n"
        "DTITLE= Album\r\n"
        "DYEAR=1999\r\n"
        "TTITLE0=One\r\n"
        "TTITLE1=Two, part\r\n"
        "TTITLE1= one\\nand two\r\n"
        "TTITLE2=Tab\\there \\\\ slash\r\n"
        "ttitle3=Lower case key\r\n"
        "TTITLE5=Six\r\n"
        "TTITLE6=Beyond the disc\r\n"
        "EXTD=Whatever\r\n"
        ".\r\n"
        "TTITLE4=After the end\r\n";
    const std::optional<Release> r = readCddbEntry(entry, 6);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->artist, "Ann & Bob");
    EXPECT_EQ(r->album, "The Long Album");
    EXPECT_EQ(r->date, "1999");
    EXPECT_EQ(r->tracks, (std::vector<QString>{"One", "Two, part one and two", "Tab here \\ slash",
                                               "Lower case key", "", "Six"}));
    EXPECT_TRUE(r->id.isEmpty());
}

TEST(CddbReply, ATitleWithoutSeparatorIsArtistAndAlbumAndOtherEncodingsRead) {
    const std::optional<Release> same = readCddbEntry("210 misc x\nDTITLE=Björk\n.\n", 2);
    ASSERT_TRUE(same);
    EXPECT_EQ(same->artist, QStringLiteral("Björk"));
    EXPECT_EQ(same->album, QStringLiteral("Björk"));
    EXPECT_TRUE(same->tracks.empty());

    // Not UTF-8: the GB code page of older Chinese tools ("王菲 / 唱游", "打错了").
    const QByteArray gbk =
        "210 misc x\nDTITLE=\xCD\xF5\xB7\xC6 / "
        "\xB3\xAA\xD3\xCE\nTTITLE0=\xB4\xF2\xB4\xED\xC1\xCB\n.\n";
    const std::optional<Release> chinese = readCddbEntry(gbk, 1);
    ASSERT_TRUE(chinese);
    EXPECT_EQ(chinese->artist, QStringLiteral("王菲"));
    EXPECT_EQ(chinese->album, QStringLiteral("唱游"));
    EXPECT_EQ(chinese->tracks, (std::vector<QString>{QStringLiteral("打错了")}));

    // Another status, or no title: no entry.
    EXPECT_FALSE(readCddbEntry("401 No such CDDB entry.\n", 2));
    EXPECT_FALSE(readCddbEntry("210 misc x\nTTITLE0=Only a track\n.\n", 2));
    EXPECT_FALSE(readCddbEntry("", 2));
}

}  // namespace
}  // namespace corvina::lookup
