#include "platform/cd/CdTextPacks.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/cd/DiscNames.h"

namespace corvina::cd {
namespace {

constexpr std::size_t kPackBytes = 18;
constexpr std::size_t kHeaderBytes = 4;
constexpr int kTextBytes = 12;
constexpr int kBlocks = 8;
constexpr int kMostTracks = 99;

constexpr int kTitle = 0x80;
constexpr int kPerformer = 0x81;
constexpr int kSizeInformation = 0x8F;

// Character codes a block's size information declares.
constexpr int kMsJis = 0x80;
constexpr int kKorean = 0x81;
constexpr int kMandarin = 0x82;
// The language code of Chinese in a block's size information.
constexpr int kChinese = 0x75;

struct Pack {
    const std::uint8_t* bytes = nullptr;
    int type = 0;
    int track = 0;
    int sequence = 0;
    int position = 0;  // characters of its first text that came in earlier packs (15: more)
    bool doubleByte = false;
    const std::uint8_t* text() const { return bytes + 4; }
};

struct Block {
    std::vector<Pack> texts[2];  // titles, performers
    // The 36 bytes of the three size-information packs, and which of the three came.
    std::array<std::uint8_t, 3 * kTextBytes> size{};
    bool sizePart[3] = {false, false, false};
    bool flaggedDoubleByte = false;

    bool hasText() const { return !texts[0].empty() || !texts[1].empty(); }
    int characterCode() const { return sizePart[0] ? size[0] : 0x00; }
    bool doubleByte() const { return flaggedDoubleByte || characterCode() >= kMsJis; }
};

// Texts by track number, 0 for the disc; a track whose text was not read has none.
using Texts = std::array<std::optional<std::string>, kMostTracks + 1>;

bool isPack(const std::uint8_t* p) {
    return p[0] >= kTitle && p[0] <= kSizeInformation;
}

bool crcHolds(const std::uint8_t* p) {
    return cdTextPackCrc(p) == (p[16] << 8 | p[17]);
}

// Packs in a row of bytes; a pack cut short is no pack.
struct Packs {
    const std::uint8_t* start = nullptr;
    std::size_t count = 0;
    const std::uint8_t* operator[](std::size_t i) const { return start + i * kPackBytes; }
    std::size_t checked() const {
        std::size_t good = 0;
        for (std::size_t i = 0; i < count; ++i) good += isPack((*this)[i]) && crcHolds((*this)[i]);
        return good;
    }
};

// The packs of a reply, after its header when there is one: whichever reading gives more
// packs with a right CRC. When the CRCs do not tell (all zero), a header is there when the size
// leaves 4 bytes over, or, for a reply cut short, when the first byte is no pack type (a
// header's first byte is the high byte of a length, below 0x80 for any real reply). A header's
// length that claims less than there is leaves out the padding after it.
Packs findPacks(const std::uint8_t* data, std::size_t size) {
    const Packs bare{data, size / kPackBytes};
    if (size < kHeaderBytes) return bare;
    const std::size_t claimed = std::size_t(data[0] << 8 | data[1]);
    std::size_t length = size - kHeaderBytes;
    if (claimed >= 2) length = std::min(length, claimed - 2);
    const Packs headed{data + kHeaderBytes, length / kPackBytes};
    const std::size_t bareGood = bare.checked();
    const std::size_t headedGood = headed.checked();
    if (bareGood != headedGood) return bareGood > headedGood ? bare : headed;
    const bool header =
        size % kPackBytes == kHeaderBytes || (size % kPackBytes != 0 && !isPack(data));
    return header ? headed : bare;
}

// The texts of one pack type of a block, its packs in sequence order.
Texts assemble(const std::vector<Pack>& packs, bool doubleByte) {
    Texts texts;
    std::string text;
    int track = 0;
    int last = -2;
    bool skipping = false;    // inside a text whose beginning was in a pack not read
    bool secondZero = false;  // after a double-byte terminator's first zero
    auto finish = [&] {
        if (!skipping && track >= 0 && track <= kMostTracks && !texts[std::size_t(track)]) {
            // One tab (two in double-byte text) stands for the previous track's text.
            const bool tab = text == "\t" || text == "\t\t";
            if (tab && track > 0 && texts[std::size_t(track - 1)])
                texts[std::size_t(track)] = texts[std::size_t(track - 1)];
            else if (!tab)
                texts[std::size_t(track)] = text;
        }
        text.clear();
        skipping = false;
        ++track;
    };
    for (const Pack& pack : packs) {
        if (pack.sequence == last) continue;  // the same pack twice
        if (pack.sequence != last + 1) {
            // The first pack, or one after a pack that was left out: its track number and
            // character position say where it stands. A text begun in the lost pack is dropped,
            // not completed with another's end.
            text.clear();
            track = pack.track;
            skipping = pack.position != 0;
            secondZero = false;
        }
        last = pack.sequence;
        for (int i = 0; i < kTextBytes; ++i) {
            const char c = char(pack.text()[i]);
            if (secondZero) {
                secondZero = false;
                if (c == 0) continue;
            }
            if (c == 0) {
                finish();
                secondZero = doubleByte;
            } else if (!skipping) {
                text.push_back(c);
            }
        }
    }
    return texts;
}

// `bytes` in the first of `codecs` this machine has. A lead byte left at the end is shown as a
// replacement character instead of vanishing: the NUL after it completes no character.
QString decodeWith(std::initializer_list<const char*> codecs, const std::string& bytes) {
    for (const char* name : codecs) {
        QStringDecoder decoder(name);
        if (!decoder.isValid()) continue;
        QString text = decoder.decode(QByteArray(bytes.data(), qsizetype(bytes.size())) + '\0');
        if (text.endsWith(QChar(u'\0'))) text.chop(1);
        return text;
    }
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

// Which block to read. A Chinese listener is best served by the names in Chinese, so a block
// whose language is Chinese comes first, then one written in the Mandarin character code (the
// language byte is often left unset); otherwise block 0, the disc's first language and the one
// a player that reads a single block shows; a block that holds no text is passed over.
int chooseBlock(const std::array<Block, kBlocks>& blocks) {
    auto language = [&](int b) {
        // Every block's size information lists the languages of all blocks.
        const Block& own = blocks[std::size_t(b)];
        if (own.sizePart[2]) return int(own.size[std::size_t(28 + b)]);
        for (const Block& other : blocks)
            if (other.sizePart[2]) return int(other.size[std::size_t(28 + b)]);
        return 0;
    };
    for (int b = 0; b < kBlocks; ++b)
        if (blocks[std::size_t(b)].hasText() && language(b) == kChinese) return b;
    for (int b = 0; b < kBlocks; ++b)
        if (blocks[std::size_t(b)].hasText() && blocks[std::size_t(b)].characterCode() == kMandarin)
            return b;
    for (int b = 0; b < kBlocks; ++b)
        if (blocks[std::size_t(b)].hasText()) return b;
    return -1;
}

}  // namespace

std::uint16_t cdTextPackCrc(const std::uint8_t* pack) {
    std::uint16_t crc = 0;
    for (int i = 0; i < 16; ++i) {
        crc ^= std::uint16_t(pack[i] << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = std::uint16_t(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return std::uint16_t(~crc);
}

std::optional<CdText> decodeCdTextPacks(const std::uint8_t* data, std::size_t size) {
    if (!data) return std::nullopt;
    const Packs packs = findPacks(data, size);
    // Some drives give every CRC as zero; their packs are taken as they are.
    bool zeroCrcs = true;
    for (std::size_t i = 0; i < packs.count; ++i)
        if (isPack(packs[i]) && (packs[i][16] | packs[i][17]) != 0) zeroCrcs = false;

    std::array<Block, kBlocks> blocks;
    for (std::size_t i = 0; i < packs.count; ++i) {
        const std::uint8_t* p = packs[i];
        if (!isPack(p) || (!zeroCrcs && !crcHolds(p))) continue;
        Pack pack;
        pack.bytes = p;
        pack.type = p[0];
        pack.track = p[1];
        pack.sequence = p[2];
        pack.doubleByte = (p[3] & 0x80) != 0;
        pack.position = p[3] & 0x0F;
        Block& block = blocks[std::size_t((p[3] >> 4) & 0x07)];
        if (pack.type == kSizeInformation) {
            if (pack.track > 2 || block.sizePart[pack.track]) continue;
            std::copy(pack.text(), pack.text() + kTextBytes, block.size.begin() + 12 * pack.track);
            block.sizePart[pack.track] = true;
        } else if (pack.type == kTitle || pack.type == kPerformer) {
            // Bit 7 of the track number marks an extension pack, which holds no names.
            if (pack.track > kMostTracks) continue;
            block.texts[pack.type - kTitle].push_back(pack);
            block.flaggedDoubleByte = block.flaggedDoubleByte || pack.doubleByte;
        }
    }
    const int chosen = chooseBlock(blocks);
    if (chosen < 0) return std::nullopt;
    Block& block = blocks[std::size_t(chosen)];
    Texts texts[2];
    for (int t = 0; t < 2; ++t) {
        std::stable_sort(block.texts[t].begin(), block.texts[t].end(),
                         [](const Pack& a, const Pack& b) { return a.sequence < b.sequence; });
        texts[t] = assemble(block.texts[t], block.doubleByte());
    }

    // Single-byte blocks are declared ISO 8859-1 or ASCII, yet Chinese discs put GBK there:
    // they are read by the rule for names whose encoding nobody recorded, once for the block.
    std::vector<std::string> all;
    for (const Texts& list : texts)
        for (const auto& text : list)
            if (text) all.push_back(*text);
    const bool utf8 = allUtf8(all);
    auto decode = [&](const std::optional<std::string>& text) {
        if (!text) return QString();
        switch (block.characterCode()) {
            case kMsJis:
                return decodeWith({"windows-31j", "Shift_JIS"}, *text);
            case kKorean:
                return decodeWith({"windows-949", "EUC-KR"}, *text);
            case kMandarin:
                return decodeName(*text, false);  // GB18030 holds all of GBK
            default:
                return decodeName(*text, utf8);
        }
    };

    CdText result;
    result.title = decode(texts[0][0]);
    result.performer = decode(texts[1][0]);
    int last = 0;
    for (int n = 1; n <= kMostTracks; ++n) {
        const auto& title = texts[0][std::size_t(n)];
        const auto& performer = texts[1][std::size_t(n)];
        if ((title && !title->empty()) || (performer && !performer->empty())) last = n;
    }
    for (int n = 1; n <= last; ++n) {
        result.trackTitles.push_back(decode(texts[0][std::size_t(n)]));
        result.trackPerformers.push_back(decode(texts[1][std::size_t(n)]));
    }
    if (last == 0 && result.title.isEmpty() && result.performer.isEmpty()) return std::nullopt;
    return result;
}

}  // namespace corvina::cd
