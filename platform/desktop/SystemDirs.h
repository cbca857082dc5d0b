#pragma once
// The Windows directory and the system directory, as the player's registry values name them.
//
// Linux has neither. The player reports the folders Wine reports for a fresh prefix, so values
// that name them (the fallback commands and icons written when the player gives up the CD
// associations) read the same as in a registry exported from Windows or from Wine, where such
// values mean something. Both come without a trailing backslash.
#include <QString>

namespace corvina {

QString windowsDirectory();  // "C:\windows"
QString systemDirectory();   // "C:\windows\system32"

}  // namespace corvina
