// The profile file's text: how values are found and read back, and what a write changes.
#include <gtest/gtest.h>

#include "platform/profile/ProfileText.h"

namespace corvina::profile {
namespace {

QString read(const QByteArray& file, const char* section, const char* key) {
    return ProfileText(file)
        .value(QString::fromUtf8(section), QString::fromUtf8(key))
        .value_or(QStringLiteral("<missing>"));
}

TEST(ProfileRead, NamesMatchWithoutRegardToCaseAndFirstOneWins) {
    const QByteArray file =
        "top=before any section\r\n"
        "[12abcd]\r\n"
        "ARTIST=Faye\r\n"
        "artist=second key of the name\r\n"
        "[12ABCD]\r\n"
        "Title=second section of the name\r\n"
        "[ Other ]\r\n"
        "  0 = x \r\n";
    EXPECT_EQ(read(file, "12ABCD", "Artist"), "Faye");
    EXPECT_EQ(read(file, "12ABCD", "Title"), "<missing>");
    EXPECT_EQ(read(file, "other", "0"), "x");
    EXPECT_EQ(read(file, "12ABCD", "top"), "<missing>");
    EXPECT_EQ(read(file, "nosuch", "Artist"), "<missing>");
    // 0x5D (']') is the second byte of some GBK characters.
    EXPECT_EQ(read("[" + encodeText(QStringLiteral("踋")) + "]\nk=v\n", "踋", "k"), "v");
}

TEST(ProfileRead, DropsBlanksAndOnePairOfQuotes) {
    const QByteArray file =
        "[S]\n"
        "a= \t spaced out \t \n"
        "b=\"quoted\"\n"
        "c= '  single  ' \n"
        "d=\"\"twice\"\"\n"
        "e=\"unbalanced'\n"
        "f=\"\n"
        "g\n"
        "h=\n"
        ";i=comment\n";
    EXPECT_EQ(read(file, "S", "a"), "spaced out");
    EXPECT_EQ(read(file, "S", "b"), "quoted");
    EXPECT_EQ(read(file, "S", "c"), "  single  ");
    EXPECT_EQ(read(file, "S", "d"), "\"twice\"");
    EXPECT_EQ(read(file, "S", "e"), "\"unbalanced'");
    EXPECT_EQ(read(file, "S", "f"), "\"");
    EXPECT_EQ(read(file, "S", "g"), "");  // a key without '=' exists with the empty value
    EXPECT_EQ(read(file, "S", "h"), "");
    EXPECT_EQ(read(file, "S", ";i"), "<missing>");
}

TEST(ProfileRead, LongValuesAreCutTo2047BytesWithoutSplittingACharacter) {
    const QByteArray ascii(3000, 'x');
    EXPECT_EQ(read("[S]\r\nk=" + ascii + "\r\n", "S", "k"), QString(2047, u'x'));
    // 2046 ASCII bytes and then a two-byte character: it does not fit whole and is left out.
    const QByteArray chinese = QByteArray(2046, 'y') + encodeText(QStringLiteral("曲目"));
    EXPECT_EQ(read("[S]\nk=" + chinese + "\n", "S", "k"), QString(2046, u'y'));
    // The quotes go before the cut.
    EXPECT_EQ(read("[S]\nk=\"" + ascii + "\"\n", "S", "k"), QString(2047, u'x'));
}

TEST(ProfileRead, CrlfLfAndAMissingFinalBreakReadAlike) {
    for (const QByteArray& file : {QByteArray("[S]\r\nk=v\r\n"), QByteArray("[S]\nk=v\n"),
                                   QByteArray("[S]\nk=v"), QByteArray("[S]\r\nk=v")})
        EXPECT_EQ(read(file, "S", "k"), "v") << file.constData();
}

TEST(ProfileCodec, ChineseIsGbkOnDiskAndWhatGbkLacksStillRoundTrips) {
    EXPECT_EQ(encodeText(QStringLiteral("播放列表")).toHex(), "b2a5b7c5c1d0b1ed");
    EXPECT_EQ(decodeText(QByteArray::fromHex("b2a5b7c5c1d0b1ed")), QStringLiteral("播放列表"));
    const QString mixed = QStringLiteral("周杰伦 한국어 😀 Beyoncé €");
    const QByteArray bytes = encodeText(mixed);
    EXPECT_FALSE(bytes.contains('?'));
    EXPECT_EQ(decodeText(bytes), mixed);
    // The GBK part stays plain GBK bytes.
    EXPECT_TRUE(bytes.startsWith(encodeText(QStringLiteral("周杰伦 "))));
}

QByteArray write(const QByteArray& file, const char* section, const char* key,
                 const QString& value) {
    return ProfileText(file)
        .withValue(QString::fromUtf8(section), QString::fromUtf8(key), value)
        .value_or("<unchanged>");
}

TEST(ProfileWrite, KeepsEveryOtherLineByteForByte) {
    const QByteArray file =
        "; Corvina titles\r\n"
        "[OTHER]\r\n"
        "Artist=Someone\r\n"
        "\r\n"
        "[12ABCD]\r\n"
        "  artist = old  \r\n"
        "0=first\r\n"
        "\r\n"
        "; the next disc\r\n"
        "[FOREIGN]\r\n"
        "x=y";
    EXPECT_EQ(write(file, "12abcd", "Artist", "New"),
              QByteArray(file).replace("  artist = old  ", "artist=New"));
    EXPECT_EQ(write(file, "12ABCD", "1", "second"),
              QByteArray(file).replace("0=first\r\n", "0=first\r\n1=second\r\n"));
    EXPECT_EQ(write(file, "FOREIGN", "z", "w"), file + "\r\nz=w\r\n");
    EXPECT_EQ(write(file, "NEW", "Artist", "A"), file + "\r\n\r\n[NEW]\r\nArtist=A\r\n");
    EXPECT_EQ(write(file, "OTHER", "artist", "Someone"), "<unchanged>");
}

TEST(ProfileWrite, SeveralValuesAtOnceAreAsIfWrittenOneAfterTheOther) {
    const QByteArray file =
        "[A]\r\n"
        "0=x\r\n"
        "; next\r\n"
        "[B]\r\n"
        "Artist=b";
    const std::vector<Edit> edits = {
        {"a", "Artist", "1"}, {"NEW", "0", "n"}, {"B", "artist", "b2"}, {"A", "0", "y"},
        {"a", "ARTIST", "2"}, {"B", "1", "t"},   {"NEW2", "k", "v"}};
    QByteArray oneByOne = file;
    for (const Edit& e : edits)
        oneByOne = ProfileText(oneByOne).withValue(e.section, e.key, e.value).value_or(oneByOne);
    EXPECT_EQ(ProfileText(file).withValues(edits).value_or("<unchanged>"), oneByOne);
    EXPECT_EQ(
        oneByOne,
        "[A]\r\n0=y\r\nArtist=2\r\n; next\r\n[B]\r\nArtist=b2\r\n1=t\r\n\r\n[NEW]\r\n0=n\r\n\r\n"
        "[NEW2]\r\nk=v\r\n");
    EXPECT_FALSE(ProfileText(oneByOne).withValues(edits).has_value());
}

TEST(ProfileWrite, NewFilesAreCrlfAndLfFilesStayLf) {
    EXPECT_EQ(write("", "S", "k", "v"), "[S]\r\nk=v\r\n");
    EXPECT_EQ(write("[S]\nk=v\n", "S", "j", "w"), "[S]\nk=v\nj=w\n");
    EXPECT_EQ(write("[S]\n", "S", "j", "w"), "[S]\nj=w\n");
}

TEST(ProfileWrite, ALineBreakInAValueCannotAddLines) {
    const QByteArray out = write("[S]\r\n", "S", "0", QStringLiteral("a\r\n[S]\r\n0=b\n"));
    EXPECT_EQ(out, "[S]\r\n0=\"a  [S]  0=b \"\r\n");
    EXPECT_EQ(read(out, "S", "0"), "a  [S]  0=b ");
}

TEST(ProfileWrite, NamesWithBlanksOrQuotesAtTheirEndsReadBackAsWritten) {
    QByteArray file;
    const QString names[] = {QStringLiteral(" Intro "), QStringLiteral("\"Heroes\""),
                             QStringLiteral("'quoted'"), QStringLiteral("\""), QStringLiteral("")};
    for (int i = 0; i < 5; ++i)
        file = write(file, "S", QByteArray::number(i).constData(), names[i]);
    EXPECT_EQ(file, "[S]\r\n0=\" Intro \"\r\n1=\"\"Heroes\"\"\r\n2=\"'quoted'\"\r\n3=\"\r\n4=\r\n");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(read(file, "S", QByteArray::number(i).constData()), names[i]);
}

}  // namespace
}  // namespace corvina::profile

namespace corvina::profile {
namespace {

// A section read from a large file ends where the next header line starts. A piece that may stop
// short of the file's end says so when a line is cut or no next header is in it yet.
TEST(ProfileIndex, ASectionEndsAtTheNextHeaderLineEvenInAPiece) {
    EXPECT_EQ(SectionIndex::sectionLength("[a]\r\nx=1\r\n[b]\r\ny=2", true), 10);
    EXPECT_EQ(SectionIndex::sectionLength("[a]\nx=1\n  [b]  \n", false), 8);  // blanks around
    EXPECT_EQ(SectionIndex::sectionLength("[a]\nx=[b]\n; [c]\n", true), 16);  // no header
    // Cut in its first line, in a line that may still become a header, or with no next header.
    EXPECT_EQ(SectionIndex::sectionLength("[a", false), -1);
    EXPECT_EQ(SectionIndex::sectionLength("[a]\nx=1\n[b", false), -1);
    EXPECT_EQ(SectionIndex::sectionLength("[a]\nx=1\n", false), -1);
    // At the end of the file whatever is left is the section's; a last header without a break
    // still ends it.
    EXPECT_EQ(SectionIndex::sectionLength("[a]\nx=1\n[b", true), 10);
    EXPECT_EQ(SectionIndex::sectionLength("[a]\nx=1\n[b]", true), 8);
    EXPECT_EQ(SectionIndex::sectionLength("[a]", true), 3);

    // The index finds every section of a name, in file order, and nothing for other names.
    const QByteArray file = "[12AB]\r\n0=x\r\n[other]\r\n[12ab]\r\n0=y\r\n";
    const SectionIndex index(file);
    EXPECT_EQ(index.candidates(QStringLiteral("12Ab")), (std::vector<qint64>{0, 22}));
    EXPECT_TRUE(index.candidates(QStringLiteral("12AC")).empty());
}

}  // namespace
}  // namespace corvina::profile
