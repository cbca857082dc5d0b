#pragma once
// The player's system integration: four switches, each kept in the machine root of the registry
// (HKEY_LOCAL_MACHINE, plain strings) and carried out on the desktop (DesktopFiles.h):
//
//   autorun         Software\Microsoft\Windows\CurrentVersion\Run  "Corvina" = executable
//                   desktop: the autostart entry
//   AutoPlay        Software\CLASSES\AudioCD\shell  @ = "Play" (off: "")
//                   desktop: the application entry offered for audio CDs
//   default player  Software\CLASSES\AudioCD\shell\play\command  @ = executable + " /play %1"
//                   Software\CLASSES\cdafile\shell\play\command  @ = executable + " /play %1"
//                   (off: WinDir\cdplayer.exe "/play %1" and "-play %1")
//                   desktop: the application entry, first default for audio CDs in mimeapps.list
//   icons           Software\CLASSES\AudioCD\DefaultIcon  @ = executable + ",1"
//                   Software\CLASSES\cdafile\DefaultIcon  @ = executable + ",2"
//                   (off: SysDir\shell32.dll,40 and WinDir\cdplayer.exe,1)
//                   desktop: the icons in the user's hicolor theme
//
// Reading: each switch is on exactly when its values are as the player writes them for this
// executable (the path compared as written, letter case included; the AutoPlay verb in any case).
// A missing key or value reads as off; a value of another type throws corvina::Error
// "Invalid data type for '%s'".
//
// Writing, in the order AutoPlay, autorun, default player, icons, then the desktop: keys that do
// not exist yet are created (a fresh machine root has none of them). The first failure throws
// corvina::Error ("Failed to set data for '%s'", "Failed to create key %s", or the desktop's
// error with a file's path) and skips the rest.
//
// UI thread only.
#include <QString>

namespace corvina {

struct IntegrationChoice {
    bool autorun = false;
    bool autoPlay = false;
    bool defaultPlayer = false;
    bool defaultIcons = false;
};

bool autorunIsSet(const QString& executable);
bool autoPlayIsSet();
bool defaultPlayerIsSet(const QString& executable);
bool defaultIconsAreSet(const QString& executable);

void writeIntegration(const IntegrationChoice& choice, const QString& executable);

}  // namespace corvina
