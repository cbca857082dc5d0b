// The profile parser against arbitrary files, names and values: no crash, no sanitizer report,
// and what a write stores reads back as written, cut to the 2047 bytes a read returns.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/profile/ProfileText.h"

using corvina::profile::decodeText;
using corvina::profile::encodeText;
using corvina::profile::kMaxValueBytes;
using corvina::profile::ProfileText;

namespace {

QString oneLine(QString text) {
    for (QChar& c : text)
        if (c == u'\r' || c == u'\n' || c == u'\0') c = u' ';
    return text;
}

// True when every character is stored in GBK's one or two bytes (a four-byte character has an
// ASCII digit as its second byte).
bool gbkOnly(const QString& text) {
    const QByteArray bytes = encodeText(text);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x81 || i + 1 == bytes.size()) continue;
        const auto next = static_cast<unsigned char>(bytes[i + 1]);
        if (next >= '0' && next <= '9') return false;
        ++i;
    }
    return true;
}

}  // namespace

// Input: three length bytes (section, key, value) and a fourth that makes one value in eight
// long, then the section name, the key and the value, then the file. A long value is the value
// repeated to 1984-2112 bytes, so that reads reach the 2047-byte cut while inputs stay short.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::size_t lengths[3] = {data[0] % 16u, data[1] % 16u, data[2] % 64u};
    std::size_t pos = 4;
    QString parts[3];
    std::size_t valueBytes = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t n = std::min(lengths[i], size - pos);
        parts[i] = decodeText(QByteArrayView(data + pos, static_cast<qsizetype>(n)));
        pos += n;
        valueBytes = n;
    }
    // Only text GBK holds: other text takes a slower path, and a long one would leave the target
    // crawling.
    if (data[3] >= 0xE0 && valueBytes > 0 && gbkOnly(parts[2])) {
        const std::size_t wanted = 1984u + (data[3] - 0xE0u) * 4u;
        parts[2] =
            parts[2].repeated(static_cast<qsizetype>((wanted + valueBytes - 1) / valueBytes));
    }
    const QString& section = parts[0];
    const QString& key = parts[1];
    const QString& value = parts[2];

    const ProfileText text(
        QByteArray(reinterpret_cast<const char*>(data + pos), static_cast<qsizetype>(size - pos)));
    // A large file is read through an index of its sections: the same answer, always.
    const std::optional<QString> direct = text.value(section, key);
    std::optional<QString> indexed;
    for (const qint64 begin : corvina::profile::SectionIndex(text.bytes()).candidates(section)) {
        // Read the way a large file is: in a short piece first, longer when the section goes on.
        const QByteArray rest = text.bytes().mid(begin);
        qsizetype length = corvina::profile::SectionIndex::sectionLength(
            rest.first(std::min<qsizetype>(rest.size(), 16)), rest.size() <= 16);
        if (length < 0) length = corvina::profile::SectionIndex::sectionLength(rest, true);
        const ProfileText slice(rest.first(length));
        if (!slice.hasSection(section)) continue;
        indexed = slice.value(section, key);
        break;
    }
    if (indexed != direct) std::abort();
    const std::optional<QByteArray> written = text.withValue(section, key, value);
    const ProfileText after(written ? *written : text.bytes());

    // Names that the file format can hold: a section name without ']', a key that has no '='
    // and does not look like a comment or a section line.
    const QString trimmedKey = oneLine(key).trimmed();
    const bool representable = !section.contains(u']') && !key.contains(u'=') &&
                               !trimmedKey.startsWith(u';') && !trimmedKey.startsWith(u'[');
    if (!representable) return 0;
    const std::optional<QString> read = after.value(section, key);
    if (!read) std::abort();
    const QString stored = oneLine(value);
    if (encodeText(stored).size() <= kMaxValueBytes) {
        if (*read != stored) std::abort();
    } else {
        // Cut to the longest run of whole characters that fits (a character takes 1 to 4 bytes).
        const qsizetype bytes = encodeText(*read).size();
        if (!stored.startsWith(*read) || bytes > kMaxValueBytes || bytes <= kMaxValueBytes - 4)
            std::abort();
    }
    return 0;
}
