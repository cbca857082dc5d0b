#include "platform/profile/ProfileText.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <cstring>

namespace corvina::profile {

namespace {

// GBK is what the files from Windows hold, and what we write, byte for byte. Characters GBK
// cannot encode (Korean, emoji, rarer CJK) are written in GB18030's four-byte form instead of
// the '?' the Windows conversion would leave: a four-byte sequence has an ASCII digit as its
// second byte, which never happens in GBK, so GBK text stays unchanged, readers that only know
// GBK lose just those characters (they never had them), and our own reads get every name back.
bool isLead(uchar b) {
    return b >= 0x81 && b <= 0xFE;
}
bool isDigit(uchar b) {
    return b >= 0x30 && b <= 0x39;
}

// Length of the character starting at `i` (1, 2 or 4 bytes; a broken one counts as 1).
qsizetype charLength(QByteArrayView bytes, qsizetype i) {
    const auto b = [&](qsizetype k) { return static_cast<uchar>(bytes[k]); };
    const qsizetype rest = bytes.size() - i;
    if (!isLead(b(i)) || rest < 2) return 1;
    if (!isDigit(b(i + 1))) return 2;
    if (rest >= 4 && isLead(b(i + 2)) && isDigit(b(i + 3))) return 4;
    return 1;
}

// The ']' that ends a section name, skipping the second bytes of GBK characters (0x5D is one).
qsizetype closingBracket(QByteArrayView text) {
    for (qsizetype i = 1; i < text.size(); i += charLength(text, i))
        if (text[i] == ']') return i;
    return -1;
}

QStringDecoder& gbkDecoder() {
    static QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    return decoder;
}

QStringDecoder& gb18030Decoder() {
    static QStringDecoder decoder("GB18030", QStringConverter::Flag::Stateless);
    return decoder;
}

bool isAscii(QByteArrayView bytes) {
    for (char c : bytes)
        if (static_cast<uchar>(c) >= 0x80) return false;
    return true;
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == u'\r';
}

// A name or value as the caller gives it, made safe for one line of the file.
QString oneLine(QString text) {
    for (QChar& c : text)
        if (c == u'\r' || c == u'\n' || c == u'\0') c = u' ';
    return text;
}

QString trimBlanks(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return text.sliced(begin, end - begin);
}

// The form in which names are compared: ASCII letters lowered, anything else case-folded.
QByteArray foldName(const QString& name) {
    const QString clean = trimBlanks(oneLine(name));
    bool ascii = true;
    for (QChar c : clean) ascii = ascii && c.unicode() < 0x80;
    return ascii ? clean.toLatin1().toLower() : clean.toCaseFolded().toUtf8();
}

QByteArray foldRaw(QByteArrayView raw) {
    return isAscii(raw) ? raw.toByteArray().toLower() : decodeText(raw).toCaseFolded().toUtf8();
}

bool nameMatches(QByteArrayView raw, const QByteArray& folded) {
    if (isAscii(raw))
        return raw.size() == folded.size() && raw.compare(folded, Qt::CaseInsensitive) == 0;
    return foldRaw(raw) == folded;
}

struct KeyLine {
    QByteArrayView key;    // trimmed
    QByteArrayView value;  // everything after '=', untrimmed
    bool isKey = false;
};

// The value as stored. A read drops blanks around a value and one pair of enclosing quotes, so a
// name such as ' Intro' or '"Heroes"' would come back changed; stored inside one more pair of
// quotes it reads back exactly, here and in the Windows profile functions alike.
QByteArray storedValue(const QString& value) {
    const QString line = oneLine(value);
    const bool blankEnds = !line.isEmpty() && (isBlank(line.front()) || isBlank(line.back()));
    const bool quoted = line.size() >= 2 && (line.front() == u'"' || line.front() == u'\'') &&
                        line.back() == line.front();
    const QByteArray bytes = encodeText(line);
    return blankEnds || quoted ? '"' + bytes + '"' : bytes;
}

KeyLine splitKeyLine(QByteArrayView line) {
    const QByteArrayView text = line.trimmed();
    if (text.isEmpty() || text[0] == ';' || text[0] == '[') return {};
    const qsizetype eq = line.indexOf('=');
    if (eq < 0) return {text, {}, true};
    return {line.first(eq).trimmed(), line.sliced(eq + 1), true};
}

// Calls line(begin, length) for every line of `bytes`, the length without the line break.
template <typename Line>
void forEachLine(QByteArrayView bytes, Line line) {
    const char* data = bytes.data();
    const qsizetype size = bytes.size();
    for (qsizetype pos = 0; pos < size;) {
        const void* found = std::memchr(data + pos, '\n', size_t(size - pos));
        const qsizetype end = found ? static_cast<const char*>(found) - data : size;
        qsizetype length = end - pos;
        if (length > 0 && data[end - 1] == '\r') --length;
        line(pos, length);
        pos = end + 1;
    }
}

// The name a "[name]" line opens, folded for comparison; nothing for any other line.
std::optional<QByteArray> sectionNameOf(QByteArrayView line) {
    const QByteArrayView text = line.trimmed();
    const qsizetype close = text.startsWith('[') ? closingBracket(text) : -1;
    if (close < 0) return std::nullopt;
    return foldRaw(text.sliced(1, close - 1).trimmed());
}

}  // namespace

QByteArray encodeText(const QString& text) {
    // Opening a converter costs far more than converting a short name, so each thread keeps its
    // own pair. An encoder's error flag survives resetState(), so errors are not read from it:
    // text GBK holds decodes back to itself, and a character GBK cannot hold comes out as the
    // converter's substitute, or as nothing at all when it is one of Unicode's invisible ones.
    thread_local QStringEncoder gbk("GBK", QStringConverter::Flag::Stateless);
    thread_local QStringEncoder gb18030("GB18030", QStringConverter::Flag::Stateless);
    thread_local const QByteArray substitute = [] {
        QStringEncoder probe("GBK", QStringConverter::Flag::Stateless);
        return QByteArray(probe.encode(QStringView(u"\U0001F3B5")));
    }();
    thread_local const QString substituteText = gbkDecoder().decode(substitute);

    QByteArray bytes = gbk.encode(text);
    if (gbkDecoder().decode(bytes) == text) return bytes;
    // One code point at a time, only for text GBK cannot hold entirely.
    bytes.clear();
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView one = QStringView(text).sliced(i, n);
        const QByteArray encoded = gbk.encode(one);
        const bool held = !encoded.isEmpty() && (encoded != substitute || one == substituteText);
        bytes += held ? encoded : QByteArray(gb18030.encode(one));
        i += n;
    }
    return bytes;
}

QString decodeText(QByteArrayView bytes) {
    qsizetype i = 0;
    while (i < bytes.size() && charLength(bytes, i) != 4) i += charLength(bytes, i);
    if (i == bytes.size()) return gbkDecoder().decode(bytes);
    // Mixed text: GBK runs, and four-byte characters decoded as GB18030.
    QString text;
    qsizetype run = 0;
    for (i = 0; i < bytes.size();) {
        const qsizetype n = charLength(bytes, i);
        if (n == 4) {
            text += gbkDecoder().decode(bytes.sliced(run, i - run));
            text += gb18030Decoder().decode(bytes.sliced(i, 4));
            run = i + 4;
        }
        i += n;
    }
    text += gbkDecoder().decode(bytes.sliced(run));
    return text;
}

ProfileText::ProfileText(QByteArray bytes) : bytes_(std::move(bytes)) {
    const qsizetype firstBreak = bytes_.indexOf('\n');
    crlf_ = firstBreak < 0 || (firstBreak > 0 && bytes_[firstBreak - 1] == '\r');
    forEachLine(bytes_, [&](qsizetype begin, qsizetype length) {
        lines_.push_back({static_cast<quint32>(begin), static_cast<quint32>(length)});
        const std::optional<QByteArray> name = sectionNameOf(line(int(lines_.size()) - 1));
        if (!name) return;
        const int index = static_cast<int>(lines_.size()) - 1;
        if (!sections_.empty()) sections_.back().end = index;
        sections_.push_back({index, index + 1});
        // The first section of a name is the one reads and writes use.
        if (!firstSection_.contains(*name))
            firstSection_.insert(*name, static_cast<int>(sections_.size()) - 1);
    });
    if (!sections_.empty()) sections_.back().end = static_cast<int>(lines_.size());
}

QByteArrayView ProfileText::line(int index) const {
    const Line& l = lines_[index];
    return QByteArrayView(bytes_).sliced(l.begin, l.length);
}

int ProfileText::findSection(const QString& section) const {
    return firstSection_.value(foldName(section), -1);
}

int ProfileText::findKey(const Section& section, const QString& key) const {
    const QByteArray folded = foldName(key);
    for (int i = section.header + 1; i < section.end; ++i) {
        const KeyLine kl = splitKeyLine(line(i));
        if (kl.isKey && nameMatches(kl.key, folded)) return i;
    }
    return -1;
}

bool ProfileText::hasSection(const QString& section) const {
    return findSection(section) >= 0;
}

std::optional<QString> ProfileText::value(const QString& section, const QString& key) const {
    const int s = findSection(section);
    if (s < 0) return std::nullopt;
    const int k = findKey(sections_[s], key);
    if (k < 0) return std::nullopt;
    QByteArrayView v = splitKeyLine(line(k)).value.trimmed();
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.sliced(1, v.size() - 2);
    if (v.size() > kMaxValueBytes) {
        qsizetype cut = 0;
        while (cut + charLength(v, cut) <= kMaxValueBytes) cut += charLength(v, cut);
        v = v.first(cut);
    }
    return decodeText(v);
}

std::optional<QByteArray> ProfileText::withValue(const QString& section, const QString& key,
                                                 const QString& value) const {
    return withValues({Edit{section, key, value}});
}

std::optional<QByteArray> ProfileText::withValues(const std::vector<Edit>& edits) const {
    const QByteArray br = crlf_ ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    const auto keyLine = [&](const QString& key, const QByteArray& value) {
        return encodeText(trimBlanks(oneLine(key))) + '=' + value;
    };

    // The edits by section, in the order first given; a key given twice keeps its last value.
    struct KeyEdit {
        QString key;
        QByteArray folded;
        QByteArray value;
    };
    struct SectionEdit {
        QString name;
        std::vector<KeyEdit> keys;
    };
    std::vector<SectionEdit> groups;
    QHash<QByteArray, std::size_t> groupOf;
    for (const Edit& e : edits) {
        const QByteArray section = foldName(e.section);
        auto group = groupOf.constFind(section);
        if (group == groupOf.cend()) {
            group = groupOf.insert(section, groups.size());
            groups.push_back({e.section, {}});
        }
        std::vector<KeyEdit>& keys = groups[*group].keys;
        const QByteArray folded = foldName(e.key);
        const auto same = std::find_if(keys.begin(), keys.end(),
                                       [&](const KeyEdit& k) { return k.folded == folded; });
        if (same != keys.end())
            same->value = storedValue(e.value);
        else
            keys.push_back({e.key, folded, storedValue(e.value)});
    }

    // Changes to the existing text, as replacements of byte ranges.
    struct Splice {
        qsizetype pos;
        qsizetype length;
        QByteArray text;
    };
    std::vector<Splice> splices;
    std::vector<const SectionEdit*> newSections;
    for (const SectionEdit& group : groups) {
        const int s = findSection(group.name);
        if (s < 0) {
            newSections.push_back(&group);
            continue;
        }
        const Section& sec = sections_[s];
        QByteArray added;
        for (const KeyEdit& k : group.keys) {
            const int at = findKey(sec, k.key);
            if (at < 0) {
                added += keyLine(k.key, k.value) + br;
                continue;
            }
            // Keep the key as the file spells it; only the value changes.
            const QByteArray newLine = splitKeyLine(line(at)).key.toByteArray() + '=' + k.value;
            if (line(at) != newLine)
                splices.push_back({lines_[at].begin, lines_[at].length, newLine});
        }
        if (added.isEmpty()) continue;
        // New keys go right after the section's last key, ahead of blank lines and of comments
        // that introduce the next section.
        int after = sec.header;
        for (int i = sec.header + 1; i < sec.end; ++i)
            if (splitKeyLine(line(i)).isKey) after = i;
        const Line& l = lines_[after];
        const qsizetype next = bytes_.indexOf('\n', l.begin + l.length);
        if (next < 0)  // the last line of the file had no break of its own
            splices.push_back({bytes_.size(), 0, br + added});
        else
            splices.push_back({next + 1, 0, added});
    }
    if (splices.empty() && newSections.empty()) return std::nullopt;

    std::sort(splices.begin(), splices.end(),
              [](const Splice& a, const Splice& b) { return a.pos < b.pos; });
    QByteArray out;
    out.reserve(bytes_.size() + 64 * static_cast<qsizetype>(edits.size()));
    qsizetype copied = 0;
    for (const Splice& splice : splices) {
        out += QByteArrayView(bytes_).sliced(copied, splice.pos - copied);
        out += splice.text;
        copied = splice.pos + splice.length;
    }
    out += QByteArrayView(bytes_).sliced(copied);

    for (const SectionEdit* group : newSections) {
        if (!out.isEmpty() && !out.endsWith('\n')) out += br;
        const qsizetype lastLine = out.lastIndexOf('\n', out.size() - 2) + 1;
        if (!out.isEmpty() && !QByteArrayView(out).sliced(lastLine).trimmed().isEmpty())
            out += br;  // a blank line between discs keeps the file readable by hand
        out += '[' + encodeText(trimBlanks(oneLine(group->name))) + ']' + br;
        for (const KeyEdit& k : group->keys) out += keyLine(k.key, k.value) + br;
    }
    return out;
}

namespace {

quint32 nameHash(const QByteArray& folded) {
    return quint32(qHash(folded, 0));
}

}  // namespace

SectionIndex::SectionIndex(QByteArrayView bytes) {
    forEachLine(bytes, [&](qsizetype begin, qsizetype length) {
        if (const std::optional<QByteArray> name = sectionNameOf(bytes.sliced(begin, length)))
            entries_.push_back({nameHash(*name), quint32(begin)});
    });
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.begin < b.begin;
    });
    entries_.shrink_to_fit();
}

std::vector<qint64> SectionIndex::candidates(const QString& section) const {
    const quint32 hash = nameHash(foldName(section));
    auto it = std::lower_bound(entries_.begin(), entries_.end(), hash,
                               [](const Entry& e, quint32 h) { return e.hash < h; });
    std::vector<qint64> begins;
    for (; it != entries_.end() && it->hash == hash; ++it) begins.push_back(it->begin);
    return begins;
}

qsizetype SectionIndex::sectionLength(QByteArrayView bytes, bool toEnd) {
    const char* data = bytes.data();
    const qsizetype size = bytes.size();
    const void* found = std::memchr(data, '\n', size_t(size));
    if (!found) return toEnd ? size : -1;
    for (qsizetype pos = static_cast<const char*>(found) - data + 1; pos < size;) {
        found = std::memchr(data + pos, '\n', size_t(size - pos));
        if (!found && !toEnd) return -1;  // a line cut short: it may yet be a header
        const qsizetype end = found ? static_cast<const char*>(found) - data : size;
        qsizetype length = end - pos;
        if (length > 0 && data[end - 1] == '\r') --length;
        if (sectionNameOf(bytes.sliced(pos, length))) return pos;
        pos = end + 1;
    }
    return toEnd ? size : -1;
}

}  // namespace corvina::profile
