#include "platform/registry/Registry.h"

#include "platform/ErrorReport.h"

// Stand-in until the registry store lands: an accessor that can open nothing.
namespace corvina {

TRegistry::TRegistry(RootKey root) : root_(root) {}
TRegistry::~TRegistry() = default;
void TRegistry::setRootKey(RootKey root) { root_ = root; }
bool TRegistry::openKey(const QString&, bool) { return false; }
void TRegistry::closeKey() {}
bool TRegistry::keyExists(const QString&) const { return false; }
bool TRegistry::createKey(const QString& key) {
    throw Error(QStringLiteral("Failed to create key %1").arg(key));
}
bool TRegistry::readBool(const QString& name) const { return readInteger(name) != 0; }
void TRegistry::writeBool(const QString& name, bool value) { writeInteger(name, value ? 1 : 0); }
int TRegistry::readInteger(const QString& name) const {
    throw Error(QStringLiteral("Failed to get data for '%1'").arg(name));
}
void TRegistry::writeInteger(const QString& name, int) {
    throw Error(QStringLiteral("Failed to set data for '%1'").arg(name));
}
QString TRegistry::readString(const QString& name) const {
    throw Error(QStringLiteral("Failed to get data for '%1'").arg(name));
}
void TRegistry::writeString(const QString& name, const QString&) {
    throw Error(QStringLiteral("Failed to set data for '%1'").arg(name));
}
bool TRegistry::valueExists(const QString&) const { return false; }
bool TRegistry::deleteValue(const QString&) { return false; }
QStringList TRegistry::getKeyNames() const { return {}; }

}  // namespace corvina
