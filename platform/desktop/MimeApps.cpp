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

// The group's header line and the line after its last one.
struct Group {
    qsizetype header = -1;
    qsizetype end = -1;
};

std::optional<Group> findGroup(const QList<QByteArray>& lines) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (body(lines[i]).trimmed() != kGroup) continue;
        Group g{i, i + 1};
        while (g.end < lines.size() && !isHeader(lines[g.end])) ++g.end;
        return g;
    }
    return std::nullopt;
}

// The line of `mimeType` within the group, -1 when there is none.
qsizetype findKey(const QList<QByteArray>& lines, const Group& g, const QByteArray& mimeType) {
    for (qsizetype i = g.header + 1; i < g.end; ++i) {
        const QByteArray b = body(lines[i]);
        if (b.trimmed().startsWith('#')) continue;
        const qsizetype eq = b.indexOf('=');
        if (eq > 0 && b.left(eq).trimmed() == mimeType) return i;
    }
    return -1;
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

QByteArray preferredLineEnd(const QList<QByteArray>& lines) {
    return !lines.isEmpty() && lines.front().endsWith("\r\n") ? QByteArrayLiteral("\r\n")
                                                              : QByteArrayLiteral("\n");
}

}  // namespace

QList<QByteArray> defaultApplications(const QByteArray& text, const QByteArray& mimeType) {
    const QList<QByteArray> lines = splitLines(text);
    const auto g = findGroup(lines);
    if (!g) return {};
    const qsizetype at = findKey(lines, *g, mimeType);
    return at < 0 ? QList<QByteArray>() : entries(valueOf(lines[at]));
}

QByteArray setDefaultApplication(const QByteArray& text, const QByteArray& mimeType,
                                 const QByteArray& desktopId) {
    QList<QByteArray> lines = splitLines(text);
    const QByteArray eol = preferredLineEnd(lines);
    const QByteArray ours = mimeType + '=' + desktopId + ';' + eol;
    const auto g = findGroup(lines);
    if (!g) {
        QByteArray out = text;
        if (!out.isEmpty() && !out.endsWith('\n')) out += eol;
        return out + kGroup + eol + ours;
    }
    const qsizetype at = findKey(lines, *g, mimeType);
    if (at < 0) {
        // After the group's last line that says anything, so a blank line before the next
        // group stays where it is.
        qsizetype insert = g->end;
        while (insert > g->header + 1 && body(lines[insert - 1]).trimmed().isEmpty()) --insert;
        if (!lines[insert - 1].endsWith('\n')) lines[insert - 1] += eol;
        lines.insert(insert, ours);
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
    const auto g = findGroup(lines);
    if (!g) return text;
    const qsizetype at = findKey(lines, *g, mimeType);
    if (at < 0) return text;
    const QByteArray value = valueOf(lines[at]);
    QList<QByteArray> list = entries(value);
    if (!list.contains(desktopId)) return text;
    list.removeAll(desktopId);
    if (!list.isEmpty()) {
        const qsizetype lead = leadingBlanks(value);
        const QByteArray prefix = desktopId + ';';
        QByteArray newValue;
        if (value.mid(lead).startsWith(prefix) &&
            !entries(value.mid(lead + prefix.size())).contains(desktopId))
            newValue = value.left(lead) + value.mid(lead + prefix.size());
        else
            newValue = joined(list);
        lines[at] = keyPartOf(lines[at]) + newValue + lineEnd(lines[at]);
        return lines.join();
    }
    lines.removeAt(at);
    // A header left alone says nothing; the player added it when the file had none.
    if (g->end - 1 == g->header + 1) lines.removeAt(g->header);
    return lines.join();
}

}  // namespace corvina::desktop
