#pragma once
// One registry root as a tree in memory, and its text form: the registry editor's export format
// ("Windows Registry Editor Version 5.00"), UTF-8, LF line ends.
//
//   [HKEY_CURRENT_USER\Software\Velmaro\Corvina\4.3]
//   "ShowSplash"=dword:00000001
//   "Path"="C:\\Corvina\\corvina"
//   @="default value"
//
// Every key gets a section of its own (an empty key too), parents before children, siblings in
// creation order, so reading the text back gives the same tree in the same order. A string that
// cannot stand on one quoted line (line breaks, other control characters) is written as
// hex(1): UTF-16LE bytes. Values of other types (hex:, hex(2): ...) are kept as written.
//
// Pure functions, no I/O; safe on any thread.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <utility>
#include <vector>

namespace corvina::registry {

struct RegValue {
    enum class Type { Dword, String, Other };
    Type type = Type::String;
    std::uint32_t dword = 0;  // Dword
    QString text;             // String: the text; Other: the data as written after '='

    bool operator==(const RegValue&) const = default;
};

// A key: its name as first spelt, its values and subkeys in creation order. Names match without
// regard to case.
struct RegKey {
    QString name;
    std::vector<std::pair<QString, RegValue>> values;  // "" is the default value
    std::vector<RegKey> subkeys;

    RegKey* subkey(QStringView name);
    const RegKey* subkey(QStringView name) const;
    RegKey& addSubkey(const QString& name);  // the existing one when the name is taken
    bool removeSubkey(QStringView name);

    const RegValue* value(QStringView name) const;
    void setValue(const QString& name, RegValue value);  // keeps the place of an existing one
    bool removeValue(QStringView name);

    // The key at `path` (names relative to this key); nullptr when one is missing.
    RegKey* find(const QStringList& path);
    // The key at `path`, made where it is missing.
    RegKey& addPath(const QStringList& path);
    const RegKey* find(const QStringList& path) const;

    bool operator==(const RegKey&) const = default;
};

// Whether a key or value name can be stored and read back unchanged (no control characters,
// key names also without backslashes, at most 255 characters, key names not empty).
bool isValidKeyName(QStringView name);
bool isValidValueName(QStringView name);

struct ParseResult {
    RegKey root;
    int badLines = 0;      // lines that could not be read (skipped)
    int firstBadLine = 0;  // 1-based; 0 when every line was read
};

// `rootName` is the root's full name ("HKEY_CURRENT_USER"); sections under another root are bad
// lines. An empty file is an empty root. A UTF-16LE file (as the registry editor writes it) and
// the older "REGEDIT4" header are read too.
ParseResult parseRegFile(const QByteArray& bytes, const QString& rootName);

QByteArray formatRegFile(const RegKey& root, const QString& rootName);

}  // namespace corvina::registry
