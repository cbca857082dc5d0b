#pragma once
// The registry: two roots (HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE) of keys holding REG_DWORD and
// REG_SZ values, kept as text files under $XDG_CONFIG_HOME/Corvina/ (see the README), and
// `TRegistry`, the short-lived accessor through which handlers use it.
//
// Key and value names match without regard to case and keep the spelling they were created
// with; subkeys enumerate in creation order. The default (unnamed) value has the name "".
//
// Every write reaches the disk at once, atomically, and every read sees the file as it is on
// disk (nothing is cached across a change of the file). Errors that end a handler are thrown as
// corvina::Error with the accessor's messages:
//   "Failed to get data for '%s'"  a value that is missing (a string reads as "" instead), or
//                                  no key open
//   "Invalid data type for '%s'"   a value of another type than the one read
//   "Failed to set data for '%s'"  a write that fails (no key open, store not writable)
//   "Failed to create key %s"      a key that cannot be created
//
// UI thread only.
#include <QString>
#include <QStringList>

namespace corvina {
namespace registry {
struct RegValue;
}

enum class RootKey { CurrentUser, LocalMachine };

class TRegistry {
public:
    explicit TRegistry(RootKey root = RootKey::CurrentUser);
    ~TRegistry();  // closes the open key
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    void setRootKey(RootKey root);  // closes the open key
    RootKey rootKey() const { return root_; }

    // Opens `key` (a path of names joined by backslashes, relative to the root; "" is the root
    // itself). Without `canCreate` a missing key gives false; with it the key is created
    // ("Failed to create key"). An open key is closed first.
    bool openKey(const QString& key, bool canCreate);
    void closeKey();
    bool keyExists(const QString& key) const;
    bool createKey(const QString& key);
    bool hasCurrentKey() const { return open_; }
    QString currentPath() const { return currentKey_; }  // the open key, as spelt when opened

    // Values of the open key.
    bool readBool(const QString& name) const;                     // REG_DWORD, on when non-zero
    void writeBool(const QString& name, bool value);              // REG_DWORD 0 or 1
    int readInteger(const QString& name) const;                   // REG_DWORD
    void writeInteger(const QString& name, int value);            // REG_DWORD
    QString readString(const QString& name) const;                // REG_SZ; "" when missing
    void writeString(const QString& name, const QString& value);  // REG_SZ
    bool valueExists(const QString& name) const;
    bool deleteValue(const QString& name);  // false when missing (no error) or not writable

    // The names of the open key's subkeys, in the store's enumeration order.
    QStringList getKeyNames() const;

private:
    const registry::RegValue* lookup(const QString& name) const;
    void store(const QString& name, const registry::RegValue& value);

    RootKey root_;
    bool open_ = false;
    QString currentKey_;
    QStringList path_;
};

}  // namespace corvina
