#include "platform/registry/Registry.h"

#include <optional>

#include "platform/ErrorReport.h"
#include "platform/registry/RegStore.h"

namespace corvina {

using registry::RegKey;
using registry::RegValue;

namespace {

// A key path relative to the root: names joined by backslashes; a leading or trailing backslash
// is ignored. nullopt when a name in it could never be a key.
std::optional<QStringList> splitPath(const QString& key) {
    QString trimmed = key;
    while (trimmed.startsWith(QLatin1Char('\\'))) trimmed.remove(0, 1);
    while (trimmed.endsWith(QLatin1Char('\\'))) trimmed.chop(1);
    if (trimmed.isEmpty()) return QStringList();
    QStringList path = trimmed.split(QLatin1Char('\\'));
    for (const QString& name : path)
        if (!registry::isValidKeyName(name)) return std::nullopt;
    return path;
}

[[noreturn]] void failGet(const QString& name) {
    throw Error(QStringLiteral("Failed to get data for '%1'").arg(name));
}

[[noreturn]] void failSet(const QString& name) {
    throw Error(QStringLiteral("Failed to set data for '%1'").arg(name));
}

}  // namespace

TRegistry::TRegistry(RootKey root) : root_(root) {}

TRegistry::~TRegistry() {
    closeKey();
}

void TRegistry::setRootKey(RootKey root) {
    closeKey();
    root_ = root;
}

bool TRegistry::openKey(const QString& key, bool canCreate) {
    closeKey();
    if (canCreate)
        createKey(key);
    else if (!keyExists(key))
        return false;
    path_ = *splitPath(key);
    currentKey_ = path_.join(QLatin1Char('\\'));
    open_ = true;
    return true;
}

void TRegistry::closeKey() {
    open_ = false;
    currentKey_.clear();
    path_.clear();
}

bool TRegistry::keyExists(const QString& key) const {
    const auto path = splitPath(key);
    return path && registry::currentTree(root_).find(*path) != nullptr;
}

bool TRegistry::createKey(const QString& key) {
    const auto path = splitPath(key);
    const bool created = path && registry::updateTree(root_, [&](RegKey& tree) {
                             tree.addPath(*path);
                             return true;
                         });
    if (!created) throw Error(QStringLiteral("Failed to create key %1").arg(key));
    return true;
}

const RegValue* TRegistry::lookup(const QString& name) const {
    if (!open_) return nullptr;
    const RegKey* key = registry::currentTree(root_).find(path_);
    return key ? key->value(name) : nullptr;
}

void TRegistry::store(const QString& name, const RegValue& value) {
    // A key deleted by someone else since it was opened takes no values.
    const bool stored =
        open_ && registry::isValidValueName(name) && registry::updateTree(root_, [&](RegKey& tree) {
            RegKey* key = tree.find(path_);
            if (key) key->setValue(name, value);
            return key != nullptr;
        });
    if (!stored) failSet(name);
}

bool TRegistry::readBool(const QString& name) const {
    return readInteger(name) != 0;
}

void TRegistry::writeBool(const QString& name, bool value) {
    writeInteger(name, value ? 1 : 0);
}

int TRegistry::readInteger(const QString& name) const {
    const RegValue* value = lookup(name);
    if (!value) failGet(name);
    if (value->type != RegValue::Type::Dword)
        throw Error(QStringLiteral("Invalid data type for '%1'").arg(name));
    return static_cast<int>(value->dword);
}

void TRegistry::writeInteger(const QString& name, int value) {
    store(name, RegValue{RegValue::Type::Dword, static_cast<std::uint32_t>(value), {}});
}

QString TRegistry::readString(const QString& name) const {
    if (!open_) failGet(name);
    const RegValue* value = lookup(name);
    if (!value) return QString();
    if (value->type != RegValue::Type::String)
        throw Error(QStringLiteral("Invalid data type for '%1'").arg(name));
    return value->text;
}

void TRegistry::writeString(const QString& name, const QString& value) {
    store(name, RegValue{RegValue::Type::String, 0, value});
}

bool TRegistry::valueExists(const QString& name) const {
    return lookup(name) != nullptr;
}

bool TRegistry::deleteValue(const QString& name) {
    return lookup(name) && registry::updateTree(root_, [&](RegKey& tree) {
               RegKey* key = tree.find(path_);
               return key && key->removeValue(name);
           });
}

QStringList TRegistry::getKeyNames() const {
    QStringList names;
    if (!open_) return names;
    if (const RegKey* key = registry::currentTree(root_).find(path_))
        for (const RegKey& sub : key->subkeys) names.append(sub.name);
    return names;
}

}  // namespace corvina
