#include "platform/desktop/MimeApps.h"

#include <QList>
#include <optional>

namespace corvina::desktop {
namespace {

const QByteArray kGroup = QByteArrayLiteral("[Default Applications]");

// The text cut into lines that keep their line ends; the last one may have none.
QList<QByteArray> splitLines(const QByteArray& text) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype end = text.indexOf('\n', start);
        const qsizetype next = end < 0 ? text.size() : end + 1;
        lines.append(text.mid(start, next - start));
        start = next;
    }
    return lines;
}

QByteArray body(const QByteArray& line) {
    QByteArray b = line;
    while (b.endsWith('\n') || b.endsWith('\r')) b.chop(1);
    return b;
}

QByteArray lineEnd(const QByteArray& line) {
    return line.mid(body(line).size());
}

bool isHeader(const QByteArray& line) {
    const QByteArray b = body(line).trimmed();
    return b.startsWith('[') && b.endsWith(']');
}

// A group's header line and the line after its last one.
struct Group {
    qsizetype header = -1;
    qsizetype end = -1;
};

// Every [Default Applications] group, in order: readers merge groups of the same name.
QList<Group> findGroups(const QList<QByteArray>& lines) {
    QList<Group> groups;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (body(lines[i]).trimmed() != kGroup) continue;
        Group g{i, i + 1};
        while (g.end < lines.size() && !isHeader(lines[g.end])) ++g.end;
        groups.append(g);
        i = g.end - 1;
    }
    return groups;
}

bool isKeyLine(const QByteArray& line, const QByteArray& mimeType) {
    const QByteArray b = body(line);
    if (b.trimmed().startsWith('#')) return false;
    const qsizetype eq = b.indexOf('=');
    return eq > 0 && b.left(eq).trimmed() == mimeType;
}

// The line of `mimeType` that readers go by, -1 when there is none: when a key is written twice,
// the last one wins, across all the groups.
qsizetype findKey(const QList<QByteArray>& lines, const QList<Group>& groups,
                  const QByteArray& mimeType) {
    qsizetype found = -1;
    for (const Group& g : groups)
        for (qsizetype i = g.header + 1; i < g.end; ++i)
            if (isKeyLine(lines[i], mimeType)) found = i;
    return found;
}

QList<QByteArray> entries(const QByteArray& value) {
    QList<QByteArray> list;
    for (const QByteArray& part : value.split(';'))
        if (!part.trimmed().isEmpty()) list.append(part.trimmed());
    return list;
}

// The part after '=' and the part up to and including it.
QByteArray valueOf(const QByteArray& line) {
    const QByteArray b = body(line);
    return b.mid(b.indexOf('=') + 1);
}

QByteArray keyPartOf(const QByteArray& line) {
    const QByteArray b = body(line);
    return b.left(b.indexOf('=') + 1);
}

QByteArray joined(const QList<QByteArray>& list) {
    QByteArray out;
    for (const QByteArray& e : list) out += e + ';';
    return out;
}

qsizetype leadingBlanks(const QByteArray& value) {
    qsizetype n = 0;
    while (n < value.size() && (value[n] == ' ' || value[n] == '\t')) ++n;
    return n;
}

// The line end the file uses, after its first line. A file of one unended line that ends in a
// carriage return counts as CRLF, so the line feed added after it is told apart from its text.
QByteArray preferredLineEnd(const QList<QByteArray>& lines) {
    if (lines.isEmpty()) return QByteArrayLiteral("\n");
    const QByteArray& first = lines.front();
    const bool crlf = first.endsWith("\r\n") || (!first.endsWith('\n') && first.endsWith('\r'));
    return crlf ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

// Takes out line `at`. When it was the last line and had no line end, the line before it gives
// up the line end it gained when the removed one was added, so the file ends as it did.
void removeLine(QList<QByteArray>& lines, qsizetype at, const QByteArray& eol) {
    const bool lastWithoutEnd = at == lines.size() - 1 && !lines[at].endsWith('\n');
    lines.removeAt(at);
    if (!lastWithoutEnd || at == 0) return;
    QByteArray& before = lines[at - 1];
    if (before.endsWith(eol))
        before.chop(eol.size());
    else if (before.endsWith('\n'))
        before.chop(1);
}

}  // namespace

QList<QByteArray> defaultApplications(const QByteArray& text, const QByteArray& mimeType) {
    const QList<QByteArray> lines = splitLines(text);
    const qsizetype at = findKey(lines, findGroups(lines), mimeType);
    return at < 0 ? QList<QByteArray>() : entries(valueOf(lines[at]));
}

QByteArray setDefaultApplication(const QByteArray& text, const QByteArray& mimeType,
                                 const QByteArray& desktopId) {
    QList<QByteArray> lines = splitLines(text);
    const QByteArray eol = preferredLineEnd(lines);
    const QByteArray ours = mimeType + '=' + desktopId + ';';
    const QList<Group> groups = findGroups(lines);
    // A file whose last line has no line end keeps it that way: the new lines go in front of
    // the line end they need, so unsetting can give the text back as it was.
    if (groups.isEmpty()) {
        if (text.isEmpty()) return kGroup + eol + ours + eol;
        if (!text.endsWith('\n')) return text + eol + kGroup + eol + ours;
        return text + kGroup + eol + ours + eol;
    }
    const qsizetype at = findKey(lines, groups, mimeType);
    if (at < 0) {
        // At the end of the last group, after its last line that says anything, so a blank
        // line before the next group stays where it is.
        const Group& g = groups.back();
        qsizetype insert = g.end;
        while (insert > g.header + 1 && body(lines[insert - 1]).trimmed().isEmpty()) --insert;
        const bool ended = lines[insert - 1].endsWith('\n');
        lines.insert(insert, ended ? ours + eol : eol + ours);
        return lines.join();
    }
    const QByteArray value = valueOf(lines[at]);
    const QList<QByteArray> list = entries(value);
    if (!list.isEmpty() && list.front() == desktopId) return text;
    QByteArray newValue;
    if (list.contains(desktopId)) {
        QList<QByteArray> reordered = list;
        reordered.removeAll(desktopId);
        reordered.prepend(desktopId);
        newValue = joined(reordered);
    } else {
        // The others' text stays as written behind the player's entry, so unsetting restores it.
        const qsizetype lead = leadingBlanks(value);
        newValue = value.left(lead) + desktopId + ';' + value.mid(lead);
    }
    lines[at] = keyPartOf(lines[at]) + newValue + lineEnd(lines[at]);
    return lines.join();
}

QByteArray unsetDefaultApplication(const QByteArray& text, const QByteArray& mimeType,
                                   const QByteArray& desktopId) {
    QList<QByteArray> lines = splitLines(text);
    const QByteArray eol = preferredLineEnd(lines);
    const QList<Group> groups = findGroups(lines);
    // Every line of the type loses the player's entry, not only the one readers go by, so that
    // no older line can come back as the default. From the bottom up, so indexes hold.
    for (qsizetype gi = groups.size() - 1; gi >= 0; --gi) {
        const Group& g = groups[gi];
        qsizetype removed = 0;
        for (qsizetype at = g.end - 1; at > g.header; --at) {
            if (!isKeyLine(lines[at], mimeType)) continue;
            const QByteArray value = valueOf(lines[at]);
            QList<QByteArray> list = entries(value);
            if (!list.contains(desktopId)) continue;
            list.removeAll(desktopId);
            if (list.isEmpty()) {
                removeLine(lines, at, eol);
                ++removed;
                continue;
            }
            const qsizetype lead = leadingBlanks(value);
            const QByteArray prefix = desktopId + ';';
            QByteArray newValue;
            if (value.mid(lead).startsWith(prefix) &&
                !entries(value.mid(lead + prefix.size())).contains(desktopId))
                newValue = value.left(lead) + value.mid(lead + prefix.size());
            else
                newValue = joined(list);
            lines[at] = keyPartOf(lines[at]) + newValue + lineEnd(lines[at]);
        }
        // A header left alone says nothing; the player added it when the file had none.
        if (removed > 0 && g.end - removed == g.header + 1) removeLine(lines, g.header, eol);
    }
    return lines.join();
}

}  // namespace corvina::desktop
