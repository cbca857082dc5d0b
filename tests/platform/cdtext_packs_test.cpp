// CD-TEXT packs as a drive returns them, made by a small encoder here: texts that span packs,
// tabs, blocks in two languages, each character code, and replies that are damaged or cut short.
#include <gtest/gtest.h>

#include <QStringEncoder>
#include <vector>

#include "platform/audio/AudioOutput.h"
#include "platform/audio/AudioSink.h"
#include "platform/cd/CdTextPacks.h"
#include "platform/cd/DiscNames.h"
#include "platform/cd/DriveModel.h"
#include "platform/cd/RealDrive.h"

using namespace corvina::cd;

namespace {

struct TextBlock {
    int number = 0;
    int code = 0x00;      // character code
    int language = 0x09;  // English
    bool doubleByte = false;
    const char* encoding = "ISO-8859-1";  // of the names below, for the bytes on the disc
    std::vector<QString> titles;          // the disc's, then track 1, 2, ...
    std::vector<QString> performers;
};

QByteArray bytesOf(const QString& text, const char* encoding) {
    QStringEncoder encoder(encoding);
    EXPECT_TRUE(encoder.isValid()) << encoding;
    return encoder.encode(text);
}

void appendPack(QByteArray& out, int type, int track, int sequence, int flags,
                const QByteArray& text) {
    QByteArray pack(18, '\0');
    pack[0] = char(type);
    pack[1] = char(track);
    pack[2] = char(sequence);
    pack[3] = char(flags);
    for (int i = 0; i < 12 && i < text.size(); ++i) pack[4 + i] = text[i];
    const std::uint16_t crc = cdTextPackCrc(reinterpret_cast<const std::uint8_t*>(pack.data()));
    pack[16] = char(crc >> 8);
    pack[17] = char(crc & 0xFF);
    out += pack;
}

// The packs of one pack type: the texts one after the other, a track's text equal to the one
// before it written as a tab, each pack naming the track of its first byte and how many
// characters of that text came before it.
int appendTexts(QByteArray& out, const TextBlock& block, int type,
                const std::vector<QString>& texts, int sequence) {
    const int unit = block.doubleByte ? 2 : 1;
    QByteArray stream;
    std::vector<int> trackOf;
    std::vector<int> characterOf;
    for (std::size_t t = 0; t < texts.size(); ++t) {
        QByteArray text = t > 1 && texts[t] == texts[t - 1] ? QByteArray(unit, '\t')
                                                            : bytesOf(texts[t], block.encoding);
        text += QByteArray(unit, '\0');
        for (int i = 0; i < text.size(); ++i) {
            trackOf.push_back(int(t));
            characterOf.push_back(i / unit);
        }
        stream += text;
    }
    const int flags = (block.doubleByte ? 0x80 : 0) | block.number << 4;
    for (int at = 0; at < stream.size(); at += 12, ++sequence) {
        appendPack(out, type, trackOf[std::size_t(at)], sequence,
                   flags | std::min(characterOf[std::size_t(at)], 15), stream.mid(at, 12));
    }
    return sequence;
}

// A whole reply: every block's text packs and its three size-information packs.
QByteArray encode(const std::vector<TextBlock>& blocks, bool header = true) {
    std::vector<QByteArray> bodies;
    std::vector<int> lastSequence;
    for (const TextBlock& block : blocks) {
        QByteArray body;
        int sequence = appendTexts(body, block, 0x80, block.titles, 0);
        sequence = appendTexts(body, block, 0x81, block.performers, sequence);
        bodies.push_back(body);
        lastSequence.push_back(sequence + 2);
    }
    QByteArray out;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        const TextBlock& block = blocks[b];
        QByteArray size(36, '\0');
        size[0] = char(block.code);
        size[1] = 1;
        size[2] = char(block.titles.size() - 1);
        for (int i = 0; i < bodies[b].size(); i += 18) ++size[4 + (bodies[b][i] & 0x0F)];
        size[4 + 15] = 3;
        for (std::size_t other = 0; other < blocks.size(); ++other) {
            size[20 + blocks[other].number] = char(lastSequence[other]);
            size[28 + blocks[other].number] = char(blocks[other].language);
        }
        QByteArray packs = bodies[b];
        const int first = int(packs.size() / 18);
        for (int part = 0; part < 3; ++part)
            appendPack(packs, 0x8F, part, first + part, block.number << 4, size.mid(12 * part, 12));
        out += packs;
    }
    if (!header) return out;
    const int length = int(out.size()) + 2;
    return QByteArray(1, char(length >> 8)) + char(length & 0xFF) + QByteArray(2, '\0') + out;
}

std::optional<CdText> decode(const QByteArray& reply) {
    return decodeCdTextPacks(reinterpret_cast<const std::uint8_t*>(reply.data()),
                             std::size_t(reply.size()));
}

std::vector<QString> list(std::initializer_list<const char*> texts) {
    std::vector<QString> out;
    for (const char* text : texts) out.push_back(QString::fromUtf8(text));
    return out;
}

TextBlock english() {
    TextBlock block;
    block.titles =
        list({"A Rather Long Album Title", "One", "Two", "A Third Song Named At Length"});
    block.performers = list({"The Band", "The Band", "The Band", "Guest Singer"});
    return block;
}

void expectNames(const std::optional<CdText>& text, const TextBlock& block) {
    ASSERT_TRUE(text);
    EXPECT_EQ(text->title, block.titles[0]);
    EXPECT_EQ(text->performer, block.performers[0]);
    const std::vector<QString> titles(block.titles.begin() + 1, block.titles.end());
    const std::vector<QString> performers(block.performers.begin() + 1, block.performers.end());
    EXPECT_EQ(text->trackTitles, titles);
    EXPECT_EQ(text->trackPerformers, performers);
}

TEST(CdTextPacks, CrcIsTheOneDiscsCarry) {
    // Size-information packs as read from pressed discs, their CRC in the last two bytes.
    const std::uint8_t packs[][18] = {
        {0x8f, 0x00, 0x2a, 0x00, 0x01, 0x01, 0x03, 0x00, 0x06, 0x05, 0x04, 0x05, 0x07, 0x06, 0x01,
         0x02, 0x48, 0x65},
        {0x8f, 0x01, 0x2b, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x03, 0x2c, 0x00, 0x00,
         0x00, 0xc0, 0x20},
        {0x8f, 0x02, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
         0x00, 0x11, 0x45},
        {0x8f, 0x00, 0x2b, 0x00, 0x01, 0x01, 0x0d, 0x03, 0x0c, 0x0c, 0x00, 0x00, 0x00, 0x00, 0x01,
         0x00, 0x7b, 0x3d},
    };
    for (const auto& pack : packs) EXPECT_EQ(cdTextPackCrc(pack), pack[16] << 8 | pack[17]);
}

TEST(CdTextPacks, TextsSpanPacksAndTabsRepeatThePreviousTrack) {
    const TextBlock block = english();
    const QByteArray reply = encode({block});
    expectNames(decode(reply), block);
    expectNames(decode(reply.mid(4)), block);  // the packs without the reply's header
    // Padding after the length the header gives is not read as packs.
    expectNames(decode(reply + QByteArray(40, '\x8f')), block);

    // A drive that gives every CRC as zero.
    QByteArray zero = reply;
    for (qsizetype at = 4 + 16; at < zero.size(); at += 18) zero[at] = zero[at + 1] = 0;
    expectNames(decode(zero), block);
}

TEST(CdTextPacks, SingleByteBlocksAreUtf8OrGbkByDisc) {
    TextBlock block;
    block.titles = list({"叶惠美", "以父之名", "懦夫", "晴天"});
    block.performers = list({"周杰伦", "周杰伦", "周杰伦", "周杰伦"});
    for (const char* encoding : {"GBK", "UTF-8"}) {
        block.encoding = encoding;
        expectNames(decode(encode({block})), block);
    }
    TextBlock ascii = english();
    ascii.code = 0x01;
    expectNames(decode(encode({ascii})), ascii);
}

TEST(CdTextPacks, DoubleByteCodesDecodeJapaneseKoreanAndChinese) {
    TextBlock japanese;
    japanese.code = 0x80;
    japanese.language = 0x69;
    japanese.encoding = "Shift_JIS";
    japanese.titles = list({"初恋", "あなた", "", "初恋"});  // track 2 has no title
    japanese.performers = list({"宇多田ヒカル", "宇多田ヒカル", "宇多田ヒカル", "宇多田ヒカル"});
    TextBlock korean;
    korean.code = 0x81;
    korean.language = 0x65;
    korean.encoding = "EUC-KR";
    korean.titles = list({"꽃갈피", "나의 옛날이야기", "꽃", "사랑이 지나가면"});
    korean.performers = list({"아이유", "아이유", "아이유", "아이유"});
    TextBlock chinese;
    chinese.code = 0x82;
    chinese.language = 0x75;
    chinese.encoding = "GBK";
    chinese.titles = list({"我很忙", "牛仔很忙", "彩虹", "青花瓷"});
    chinese.performers = list({"周杰伦", "周杰伦", "周杰伦", "周杰伦"});
    for (TextBlock* block : {&japanese, &korean, &chinese}) {
        block->doubleByte = true;
        expectNames(decode(encode({*block})), *block);
    }
}

TEST(CdTextPacks, TheChineseBlockIsReadElseBlockZero) {
    TextBlock chinese;
    chinese.number = 1;
    chinese.code = 0x82;
    chinese.language = 0x75;
    chinese.doubleByte = true;
    chinese.encoding = "GBK";
    chinese.titles = list({"范特西", "爱在西元前", "爸我回来了", "简单爱"});
    chinese.performers = list({"周杰伦", "周杰伦", "周杰伦", "周杰伦"});
    expectNames(decode(encode({english(), chinese})), chinese);

    TextBlock japanese = chinese;
    japanese.code = 0x80;
    japanese.language = 0x69;
    japanese.encoding = "Shift_JIS";
    japanese.titles = list({"ファンタジー", "紀元前", "父さん", "シンプル"});
    expectNames(decode(encode({english(), japanese})), english());
}

TEST(CdTextPacks, ACorruptPackCostsOnlyTheNamesInIt) {
    TextBlock block = english();
    block.titles =
        list({"Album", "First Title Here", "Second", "Third", "Fourth Title Is Long", "Fifth"});
    block.performers = list({"Band", "Band", "Band", "Band", "Band", "Band"});
    const QByteArray good = encode({block});
    // Title packs: "Album\0First " | "Title Here\0S" | "econd\0Third\0" | "Fourth Title" ...
    QByteArray bad = good;
    bad[4 + 18 + 9] = 'X';  // the second pack: track 1's end and track 2's start are lost
    const auto text = decode(bad);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->title, "Album");
    const std::vector<QString> titles = {"", "", "Third", "Fourth Title Is Long", "Fifth"};
    EXPECT_EQ(text->trackTitles, titles);
    EXPECT_EQ(text->trackPerformers.at(4), "Band");

    // A pack whose CRC is zero among packs with theirs is as corrupt as any other.
    QByteArray zeroed = good;
    zeroed[4 + 2 * 18 + 16] = zeroed[4 + 2 * 18 + 17] = 0;
    const auto lost = decode(zeroed);
    ASSERT_TRUE(lost);
    EXPECT_EQ(lost->trackTitles.at(1), "");
    EXPECT_EQ(lost->trackTitles.at(2), "");
    EXPECT_EQ(lost->trackTitles.at(3), "Fourth Title Is Long");
}

TEST(CdTextPacks, ARepliesCutShortGivesRightNamesOrNone) {
    const TextBlock block = english();
    const QByteArray reply = encode({block});
    for (qsizetype size = 0; size <= reply.size(); ++size) {
        for (const QByteArray& cut : {reply.left(size), reply.mid(4).left(size)}) {
            const auto text = decode(cut);
            if (!text) continue;
            auto rightOrEmpty = [&](const QString& got, const QString& want) {
                EXPECT_TRUE(got.isEmpty() || got == want) << size << ": " << got.toStdString();
            };
            rightOrEmpty(text->title, block.titles[0]);
            rightOrEmpty(text->performer, block.performers[0]);
            ASSERT_LE(text->trackTitles.size(), block.titles.size() - 1);
            ASSERT_EQ(text->trackPerformers.size(), text->trackTitles.size());
            for (std::size_t n = 0; n < text->trackTitles.size(); ++n) {
                rightOrEmpty(text->trackTitles[n], block.titles[n + 1]);
                rightOrEmpty(text->trackPerformers[n], block.performers[n + 1]);
            }
        }
    }
    EXPECT_FALSE(decodeCdTextPacks(nullptr, 100));
    EXPECT_FALSE(decode(QByteArray(18 * 5, '\0')));
}

}  // namespace

namespace {

// A GBK disc's names reach the player through a drive's CD-TEXT, as the disc declares them.
TEST(CdTextPacks, ADrivesPacksNameTheDiscInThePlayer) {
    TextBlock block;
    block.code = 0x82;
    block.language = 0x75;
    block.doubleByte = true;
    block.encoding = "GBK";
    block.titles = list({"唱游", "红豆", "笑忘书"});
    block.performers = list({"王菲", "王菲", "王菲"});
    const QByteArray reply = encode({block});

    Toc toc;
    toc.tracks = {{150, true}, {150 + 75, true}};
    toc.leadOut = 150 + 150;
    DriveModelSetup setup;
    setup.spinUp = std::chrono::milliseconds(0);
    setup.cdTextPacks.assign(reply.begin(), reply.end());
    class Silence : public DiscSource {
    public:
        explicit Silence(Toc toc) : toc_(std::move(toc)) {}
        const Toc& toc() const override { return toc_; }
        bool readSector(int, std::int16_t* out) override {
            std::fill(out, out + 2 * 588, std::int16_t(0));
            return true;
        }
        Toc toc_;
    };
    corvina::audio::AudioOutput output(
        "null", [](std::string&) { return corvina::audio::openNullSink(); });
    RealDrive drive(std::make_shared<DriveModel>("/dev/model", std::make_shared<Silence>(toc), setup),
                    std::make_unique<PlaybackEngine>(nullptr, output), [](const QString&) {});
    expectNames(drive.cdText(), block);
    const DiscNames names = namesFromText(drive.cdText());
    EXPECT_EQ(names.artist, QStringLiteral("王菲"));
    EXPECT_EQ(names.track(2), QStringLiteral("笑忘书"));
}

}  // namespace
