#pragma once
// The player's place in the user's desktop, by the freedesktop specifications (Desktop Entry,
// Autostart, MIME applications, Icon Theme):
//   autostart entry   $XDG_CONFIG_HOME/autostart/corvina.desktop       starts this executable
//   application entry $XDG_DATA_HOME/applications/corvina.desktop      offers it for audio CDs
//                                                                       (x-content/audio-cdda)
//   default player    $XDG_CONFIG_HOME/mimeapps.list                   corvina.desktop first
//                                                                       for x-content/audio-cdda
//   icons             $XDG_DATA_HOME/icons/hicolor/SIZE/CONTEXT/NAME.png
// (XDG_CONFIG_HOME and XDG_DATA_HOME default to ~/.config and ~/.local/share; read at each call.)
//
// Each file is replaced atomically (temporary file in its folder, fsync, rename) and written only
// when its content changes; mimeapps.list keeps every other line byte for byte. What the player
// writes carries its mark (the key X-Corvina-Integration in an entry, the PNG text
// Software=Corvina in an icon), and switching off removes only marked files: a file of the same
// name that the user made stays. A file or folder that cannot be written or removed throws
// corvina::Error "Failed to set data for '<path>'", the file left as it was.
//
// UI thread only.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <vector>

namespace corvina::desktop {

inline constexpr char kDesktopId[] = "corvina.desktop";
inline constexpr char kAudioCdType[] = "x-content/audio-cdda";

QString autostartEntryPath();
QString applicationEntryPath();
QString mimeAppsPath();

// One icon file: the skin's picture, its size in pixels, its theme context and name.
struct IconFile {
    QString picture;
    int size;
    QString context;
    QString name;
    QString path() const;  // in the user's hicolor theme
};
// The main icon at 16 and 32 pixels ("corvina"), the audio-CD and CD-track-file icons at 32
// ("corvina-audiocd", "corvina-cdafile"), and the audio-CD icon once more under the audio-CD
// type's own icon name ("x-content-audio-cdda"), which is what makes desktops show it for discs.
std::vector<IconFile> iconFiles();

// `program` as one argument of an Exec line: quoted where it holds reserved characters, with
// the escapes the quoting and the string value need, and '%' doubled.
QString execArgument(const QString& program);

// The entries the player writes, for this executable.
QByteArray applicationEntry(const QString& executable);
QByteArray autostartEntry(const QString& executable);
bool isPlayersEntry(const QByteArray& entry);

// The PNG the player writes for an icon (carrying its mark).
QByteArray iconBytes(const QImage& image);

// Switches each mechanism on (writes) or off (removes what the player made).
void setAutostart(bool on, const QString& executable);
void setApplicationEntry(bool on, const QString& executable);
void setDefaultCdPlayer(bool on);
void setIcons(bool on);

// The primitives, for the above and their tests.
void writeFileAtomically(const QString& path, const QByteArray& bytes);
void removeFile(const QString& path);

}  // namespace corvina::desktop
