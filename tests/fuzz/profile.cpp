// The profile parser against arbitrary files, names and values: no crash, no sanitizer report,
// and what a write stores reads back as written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/profile/ProfileText.h"

using corvina::profile::decodeText;
using corvina::profile::encodeText;
using corvina::profile::ProfileText;

namespace {

QString oneLine(QString text) {
    for (QChar& c : text)
        if (c == u'\r' || c == u'\n' || c == u'\0') c = u' ';
    return text;
}

}  // namespace

// Input: four length bytes (section, key, and two for the value, so that values pass the
// 2047-byte cut of a read), then the section name, the key and the value, then the file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::size_t lengths[3] = {data[0] % 16u, data[1] % 16u,
                                    (data[2] | std::size_t(data[3]) << 8) % 4096u};
    std::size_t pos = 4;
    QString parts[3];
    for (int i = 0; i < 3; ++i) {
        const std::size_t n = std::min(lengths[i], size - pos);
        parts[i] = decodeText(QByteArrayView(data + pos, static_cast<qsizetype>(n)));
        pos += n;
    }
    const QString& section = parts[0];
    const QString& key = parts[1];
    const QString& value = parts[2];

    const ProfileText text(
        QByteArray(reinterpret_cast<const char*>(data + pos), static_cast<qsizetype>(size - pos)));
    (void)text.value(section, key);
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
    // A read returns at most 2047 bytes of the file, cut before a character that would not fit
    // whole: what comes back is the start of what was written, short by less than one character.
    const QByteArray stored = encodeText(oneLine(value));
    const QByteArray got = encodeText(*read);
    if (stored.size() <= corvina::profile::kMaxValueBytes) {
        if (*read != oneLine(value)) std::abort();
    } else {
        // A character takes at most four bytes (GB18030), so at most three are left off.
        constexpr qsizetype kMost = corvina::profile::kMaxValueBytes;
        if (got.size() > kMost || got.size() < kMost - 3 || !stored.startsWith(got)) std::abort();
    }
    return 0;
}
