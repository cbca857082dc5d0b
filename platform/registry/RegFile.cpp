#include "platform/registry/RegFile.h"

#include <QStringDecoder>
#include <algorithm>

namespace corvina::registry {

namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kOldHeader = QStringLiteral("REGEDIT4");
// A byte-order mark is dropped by hand at the start of the file only; anywhere else it is text.
constexpr auto kKeepBom = QStringConverter::Flag::ConvertInitialBom;

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool hasControlCharacters(QStringView text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

// The short forms that hand-written files use for the two roots.
bool isRootName(QStringView name, const QString& rootName) {
    if (sameName(name, rootName)) return true;
    if (rootName == QLatin1String("HKEY_CURRENT_USER")) return sameName(name, u"HKCU");
    if (rootName == QLatin1String("HKEY_LOCAL_MACHINE")) return sameName(name, u"HKLM");
    return false;
}

QStringList splitLines(const QByteArray& bytes, bool* undecodable) {
    QStringList lines;
    if (bytes.startsWith("\xff\xfe")) {
        QStringDecoder decode(QStringDecoder::Utf16LE, kKeepBom);
        const QString text = decode(bytes.mid(2));
        *undecodable = decode.hasError();
        lines = text.split(QLatin1Char('\n'));
    } else {
        // Decoded line by line, so that one line with broken UTF-8 costs only that line.
        const QByteArray body = bytes.startsWith("\xef\xbb\xbf") ? bytes.mid(3) : bytes;
        for (const QByteArray& raw : body.split('\n')) {
            QStringDecoder decode(QStringDecoder::Utf8, kKeepBom);
            QString line = decode(raw);
            // A NUL stands for a line we could not read; no valid line contains one.
            if (decode.hasError()) line = QString(QChar(0));
            lines.append(line);
        }
    }
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    return lines;
}

// Reads a quoted string starting at text[pos] == '"'. Only \\ and \" are escapes.
bool readQuoted(QStringView text, qsizetype& pos, QString& out) {
    out.clear();
    for (qsizetype i = pos + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"')) {
            pos = i + 1;
            return true;
        }
        if (c == QLatin1Char('\\')) {
            if (i + 1 >= text.size()) return false;
            const QChar next = text[++i];
            if (next != QLatin1Char('\\') && next != QLatin1Char('"')) return false;
            out.append(next);
        } else {
            out.append(c);
        }
    }
    return false;
}

QString quote(const QString& text) {
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"')) out.append(QLatin1Char('\\'));
        out.append(c);
    }
    out.append(QLatin1Char('"'));
    return out;
}

bool isHexNumber(QStringView digits, qsizetype maxDigits) {
    return !digits.isEmpty() && digits.size() <= maxDigits &&
           std::all_of(digits.begin(), digits.end(), [](QChar c) {
               const char16_t u = c.toLower().unicode();
               return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f');
           });
}

bool readHexBytes(QStringView list, QByteArray& out) {
    out.clear();
    if (list.trimmed().isEmpty()) return true;
    for (QStringView item : list.split(QLatin1Char(','))) {
        item = item.trimmed();
        if (!isHexNumber(item, 2)) return false;
        out.append(static_cast<char>(item.toUInt(nullptr, 16)));
    }
    return true;
}

// Comma-separated bytes; `wrap` continues the list on a new line every 25 bytes.
QString hexList(const QByteArray& bytes, bool wrap) {
    QString out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            out.append(wrap && i % 25 == 0 ? QStringLiteral(",\\\n  ") : QStringLiteral(","));
        out.append(QStringLiteral("%1").arg(uchar(bytes[i]), 2, 16, QLatin1Char('0')));
    }
    return out;
}

enum class DataResult { Bad, Set, Remove };

DataResult readData(QStringView data, RegValue& value) {
    if (data.startsWith(QLatin1Char('"'))) {
        qsizetype pos = 0;
        if (!readQuoted(data, pos, value.text) || !data.mid(pos).trimmed().isEmpty())
            return DataResult::Bad;
        value.type = RegValue::Type::String;
        return DataResult::Set;
    }
    if (data == u"-") return DataResult::Remove;
    if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
        const QStringView digits = data.mid(6);
        if (!isHexNumber(digits, 8)) return DataResult::Bad;
        value.dword = digits.toUInt(nullptr, 16);
        value.type = RegValue::Type::Dword;
        return DataResult::Set;
    }
    if (!data.startsWith(u"hex", Qt::CaseInsensitive)) return DataResult::Bad;
    const qsizetype colon = data.indexOf(QLatin1Char(':'));
    if (colon < 0) return DataResult::Bad;
    const QStringView kind = data.left(colon);
    QByteArray bytes;
    if (!readHexBytes(data.mid(colon + 1), bytes)) return DataResult::Bad;
    if (sameName(kind, u"hex(1)")) {
        if (bytes.size() % 2 != 0) return DataResult::Bad;
        QStringDecoder decode(QStringDecoder::Utf16LE, kKeepBom);
        value.text = decode(bytes);
        if (value.text.endsWith(QChar(0))) value.text.chop(1);
        value.type = RegValue::Type::String;
        return DataResult::Set;
    }
    const bool typed = kind.startsWith(u"hex(", Qt::CaseInsensitive) && kind.endsWith(u")") &&
                       isHexNumber(kind.mid(4, kind.size() - 5), 8);
    if (!typed && !sameName(kind, u"hex")) return DataResult::Bad;
    // Kept as written, in one canonical line, so it reads back the same.
    value.type = RegValue::Type::Other;
    value.text = kind.toString().toLower() + QLatin1Char(':') + hexList(bytes, false);
    return DataResult::Set;
}

class Parser {
public:
    Parser(const QByteArray& bytes, const QString& rootName) : rootName_(rootName) {
        bool undecodable = false;
        lines_ = splitLines(bytes, &undecodable);
        if (undecodable) bad(1);
    }

    ParseResult run() {
        bool headerSeen = false;
        for (qsizetype i = 0; i < lines_.size(); ++i) {
            const QString line = lines_[i].trimmed();
            const int lineNo = int(i) + 1;
            if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
            if (!headerSeen) {
                headerSeen = true;
                if (line == kHeader || line == kOldHeader) continue;
                bad(lineNo);  // no header: read on, it may still be our own content
            }
            if (line.startsWith(QLatin1Char('['))) {
                section(line, lineNo);
            } else if (line.startsWith(QLatin1Char('"')) || line.startsWith(QLatin1Char('@'))) {
                value(line, i, lineNo);
            } else {
                bad(lineNo);
            }
        }
        return std::move(result_);
    }

private:
    void bad(int lineNo) {
        if (result_.badLines++ == 0) result_.firstBadLine = lineNo;
    }

    // Binary data may run over several lines, each but the last ending in a backslash.
    QString joinContinuations(QString data, qsizetype& i) {
        if (!data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive)) return data;
        while (data.endsWith(QLatin1Char('\\')) && i + 1 < lines_.size()) {
            data.chop(1);
            data.append(lines_[++i].trimmed());
        }
        return data;
    }

    void section(const QString& line, int lineNo) {
        haveKey_ = false;
        const qsizetype close = line.lastIndexOf(QLatin1Char(']'));
        if (close < 0 || close != line.size() - 1) return bad(lineNo);
        QString inner = line.mid(1, close - 1);
        const bool remove = inner.startsWith(QLatin1Char('-'));
        if (remove) inner.remove(0, 1);
        QStringList path = inner.split(QLatin1Char('\\'));
        if (!isRootName(path.front(), rootName_)) return bad(lineNo);
        path.removeFirst();
        if (!std::all_of(path.begin(), path.end(), isValidKeyName)) return bad(lineNo);
        if (remove) {
            if (path.isEmpty()) return bad(lineNo);
            const QString last = path.takeLast();
            if (RegKey* parent = result_.root.find(path)) parent->removeSubkey(last);
            return;
        }
        result_.root.addPath(path);
        keyPath_ = path;
        haveKey_ = true;
    }

    void value(const QString& line, qsizetype& i, int lineNo) {
        QString name;
        qsizetype pos = 1;
        if (line.startsWith(QLatin1Char('"'))) {
            pos = 0;
            if (!readQuoted(line, pos, name)) return bad(lineNo);
        }
        const QStringView rest = QStringView(line).mid(pos).trimmed();
        if (!haveKey_ || !rest.startsWith(QLatin1Char('=')) || !isValidValueName(name))
            return bad(lineNo);
        RegValue value;
        RegKey* key = result_.root.find(keyPath_);
        const QString data = joinContinuations(rest.mid(1).trimmed().toString(), i);
        switch (readData(data, value)) {
            case DataResult::Bad:
                return bad(lineNo);
            case DataResult::Remove:
                key->removeValue(name);
                return;
            case DataResult::Set:
                key->setValue(name, std::move(value));
                return;
        }
    }

    QString rootName_;
    QStringList lines_;
    ParseResult result_;
    QStringList keyPath_;
    bool haveKey_ = false;
};

void formatKey(const RegKey& key, const QString& path, QString& out) {
    out += QStringLiteral("\n[%1]\n").arg(path);
    for (const auto& [name, value] : key.values) {
        out += name.isEmpty() ? QStringLiteral("@") : quote(name);
        out += QLatin1Char('=');
        switch (value.type) {
            case RegValue::Type::Dword:
                out += QStringLiteral("dword:%1").arg(value.dword, 8, 16, QLatin1Char('0'));
                break;
            case RegValue::Type::String:
                if (hasControlCharacters(value.text) || !value.text.isValidUtf16()) {
                    QByteArray bytes(reinterpret_cast<const char*>(value.text.utf16()),
                                     value.text.size() * 2);
                    if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN)
                        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
                            std::swap(bytes[i], bytes[i + 1]);
                    out += QStringLiteral("hex(1):") + hexList(bytes + QByteArray(2, '\0'), true);
                } else {
                    out += quote(value.text);
                }
                break;
            case RegValue::Type::Other:
                out += value.text;
                break;
        }
        out += QLatin1Char('\n');
    }
}

void formatTree(const RegKey& key, const QString& path, QString& out) {
    for (const RegKey& sub : key.subkeys) {
        const QString subPath = path + QLatin1Char('\\') + sub.name;
        formatKey(sub, subPath, out);
        formatTree(sub, subPath, out);
    }
}

}  // namespace

RegKey* RegKey::subkey(QStringView name) {
    for (RegKey& key : subkeys)
        if (sameName(key.name, name)) return &key;
    return nullptr;
}

const RegKey* RegKey::subkey(QStringView name) const {
    return const_cast<RegKey*>(this)->subkey(name);
}

RegKey& RegKey::addSubkey(const QString& name) {
    if (RegKey* existing = subkey(name)) return *existing;
    subkeys.push_back(RegKey{name, {}, {}});
    return subkeys.back();
}

bool RegKey::removeSubkey(QStringView name) {
    const auto it = std::find_if(subkeys.begin(), subkeys.end(),
                                 [&](const RegKey& key) { return sameName(key.name, name); });
    if (it == subkeys.end()) return false;
    subkeys.erase(it);
    return true;
}

const RegValue* RegKey::value(QStringView name) const {
    for (const auto& entry : values)
        if (sameName(entry.first, name)) return &entry.second;
    return nullptr;
}

void RegKey::setValue(const QString& name, RegValue value) {
    for (auto& entry : values)
        if (sameName(entry.first, name)) {
            entry.second = std::move(value);
            return;
        }
    values.emplace_back(name, std::move(value));
}

bool RegKey::removeValue(QStringView name) {
    const auto it = std::find_if(values.begin(), values.end(),
                                 [&](const auto& entry) { return sameName(entry.first, name); });
    if (it == values.end()) return false;
    values.erase(it);
    return true;
}

RegKey* RegKey::find(const QStringList& path) {
    RegKey* key = this;
    for (const QString& name : path)
        if (!(key = key->subkey(name))) return nullptr;
    return key;
}

RegKey& RegKey::addPath(const QStringList& path) {
    RegKey* key = this;
    for (const QString& name : path) key = &key->addSubkey(name);
    return *key;
}

const RegKey* RegKey::find(const QStringList& path) const {
    return const_cast<RegKey*>(this)->find(path);
}

bool isValidKeyName(QStringView name) {
    return !name.isEmpty() && name.size() <= 255 && !name.contains(QLatin1Char('\\')) &&
           !hasControlCharacters(name) && name.isValidUtf16();
}

bool isValidValueName(QStringView name) {
    return name.size() <= 16383 && !hasControlCharacters(name) && name.isValidUtf16();
}

ParseResult parseRegFile(const QByteArray& bytes, const QString& rootName) {
    return Parser(bytes, rootName).run();
}

QByteArray formatRegFile(const RegKey& root, const QString& rootName) {
    QString out = kHeader + QLatin1Char('\n');
    if (!root.values.empty()) formatKey(root, rootName, out);
    formatTree(root, rootName, out);
    return out.toUtf8();
}

}  // namespace corvina::registry
