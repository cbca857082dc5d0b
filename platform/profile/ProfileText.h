#pragma once
// The text of one profile (INI) file, parsed once and then looked up by section and key, and
// the edit a write makes to it. Pure functions on bytes: no file access, no widgets.
//
// The file is a list of lines ending in CRLF or LF. "[name]" opens a section; "key=value" lines
// belong to the section above them; lines starting with ';' are comments; lines before the
// first section belong to none. Section and key names match without regard to case, the first
// section and the first key of a name win. Nothing but the edited line (or the inserted lines)
// ever changes: comments, blank lines, order and foreign sections stay byte for byte.
#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <optional>
#include <vector>

namespace corvina::profile {

// Text as it is stored in the file: GBK (code page 936). See ProfileText.cpp for characters
// that GBK cannot encode.
QByteArray encodeText(const QString& text);
QString decodeText(QByteArrayView bytes);

// The longest value a read returns, in bytes of the file: the profile functions read through a
// 2048-byte buffer that keeps one byte for its terminator.
inline constexpr qsizetype kMaxValueBytes = 2047;

// One value to write.
struct Edit {
    QString section;
    QString key;
    QString value;
};

class ProfileText {
public:
    ProfileText() = default;
    explicit ProfileText(QByteArray bytes);

    const QByteArray& bytes() const { return bytes_; }

    // The value as a read returns it: blanks around it and one pair of enclosing quotation marks
    // (" or ') dropped, cut to kMaxValueBytes without splitting a character. nullopt when the
    // section or the key is missing; a key line without '=' has the empty value.
    std::optional<QString> value(const QString& section, const QString& key) const;
    bool hasSection(const QString& section) const;

    // The file's bytes once `key` of `section` holds `value`: the key's line is rewritten in
    // place, a new key goes after the section's last key, a new section goes at the end. Line
    // breaks inside the names or the value become blanks, so a write can never add lines of its
    // own. A value that a read would change (blanks at its ends, enclosing quotes) is stored in
    // one more pair of quotes, so it reads back as written. nullopt when the file already holds
    // exactly that line (nothing to write).
    std::optional<QByteArray> withValue(const QString& section, const QString& key,
                                        const QString& value) const;
    // The same for several values at once, as if written one after the other.
    std::optional<QByteArray> withValues(const std::vector<Edit>& edits) const;

private:
    struct Line {
        quint32 begin;
        quint32 length;  // without the line break
    };
    struct Section {
        int header;  // index of the "[name]" line
        int end;     // one past its last line
    };

    QByteArrayView line(int index) const;
    int findSection(const QString& section) const;
    int findKey(const Section& section, const QString& key) const;

    QByteArray bytes_;
    std::vector<Line> lines_;
    std::vector<Section> sections_;
    QHash<QByteArray, int> firstSection_;  // folded name -> index into sections_
    bool crlf_ = true;                     // line break used for new lines
};

// Where the sections of a large file are, without their text: a title file of 100,000 discs
// takes 19 MB of text but 0.8 MB of index (a 32-bit hash of each section's name and where its
// header line starts). A read fetches the one section it needs from the file, up to the next
// header line (sectionLength), and looks it up as a ProfileText of its own (a section's values
// depend on its lines alone). Sections are found by the same rules as in ProfileText.
class SectionIndex {
public:
    explicit SectionIndex(QByteArrayView bytes);

    // Where the header lines of the sections that may be called `section` start, in file order:
    // the first whose text has that section is the one reads use (names that only share a hash
    // are told apart so).
    std::vector<qint64> candidates(const QString& section) const;

    // The length of the section whose header line starts `bytes`: up to the next header line.
    // When `bytes` may stop short of the end of the file (`toEnd` false), only lines whose
    // break it holds count, and -1 says the section may go on past it.
    static qsizetype sectionLength(QByteArrayView bytes, bool toEnd);

private:
    struct Entry {
        quint32 hash;  // of the folded name
        quint32 begin;
    };
    std::vector<Entry> entries_;  // by hash, then by position
};

}  // namespace corvina::profile
