#pragma once
// The two registry roots on disk: $XDG_CONFIG_HOME/Corvina/HKCU.reg and HKLM.reg (default
// ~/.config/Corvina/), in the text form of RegFile.h.
//
// Reads see the file as it is on disk: the parsed tree is kept only while the file's identity,
// size and modification time stay the same, so two accessors, two players and an outside edit
// agree. Writes go to disk at once and atomically (temporary file in the same folder, flush,
// fsync, rename, under an advisory lock on the folder): a kill mid-write leaves the old file or
// the new one, never a torn one.
//
// A file that cannot be read completely is never overwritten silently: on first sight a copy is
// kept beside it (HKCU.reg.corrupt-<date>-<time>); then the store starts empty, as on a first
// start, so the player writes its defaults again into a clean file, and says so once (a notice on
// stderr and screen). When no copy can be kept, the store carries on with what could be read,
// writes nothing to that file, and reports the problem once (stderr and the error report).
//
// UI thread only.
#include <QString>
#include <functional>

#include "platform/registry/RegFile.h"
#include "platform/registry/Registry.h"

namespace corvina::registry {

QString storeFolder();
QString storeFilePath(RootKey root);
QString rootName(RootKey root);  // "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"

// The root's tree as the file holds it now. Valid until the next call into the store.
const RegKey& currentTree(RootKey root);

// Runs `change` on a copy of the freshest tree; when it returns true and the text differs from
// the file's, writes the copy. False when `change` refused or the file could not be written;
// the file and the tree are then as they were. Never throws.
bool updateTree(RootKey root, const std::function<bool(RegKey&)>& change);

}  // namespace corvina::registry
