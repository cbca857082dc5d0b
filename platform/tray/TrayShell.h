#pragma once
// The desktop's notification area, as the tray icon component sees it: one icon record handed to
// the shell with add, modify and delete, and the shell's mouse messages for the icon coming back.
//
// Backends: QtTrayShell (a StatusNotifierItem where the desktop runs a watcher, else an XEmbed
// icon, both through QSystemTrayIcon) and FakeTrayShell (tests). UI thread only.
#include <QIcon>
#include <QPoint>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

namespace corvina {

// Shell messages of the icon record.
enum class NotifyMessage { Add = 0, Modify = 1, Delete = 2 };

// Mouse messages the shell sends for the icon (the second parameter of the callback message).
namespace trayMouse {
inline constexpr int Move = 0x200;
inline constexpr int LeftDown = 0x201;
inline constexpr int LeftUp = 0x202;
inline constexpr int LeftDoubleClick = 0x203;
inline constexpr int RightDown = 0x204;
inline constexpr int RightUp = 0x205;
inline constexpr int RightDoubleClick = 0x206;
inline constexpr int MiddleDown = 0x207;
inline constexpr int MiddleUp = 0x208;
}  // namespace trayMouse

// The icon record, kept for the component's life. The fixed fields are those of the 88-byte
// record the player has always registered; only the icon and the tip change.
struct NotifyIconRecord {
    static constexpr int kTipBytes = 64;
    quint32 size = 88;
    quint32 id = 1;
    quint32 flags = 7;  // callback message, icon and tip are valid
    quint32 callbackMessage = 0x800;
    QIcon icon;
    // UTF-8, zero-terminated: at most 63 bytes of text.
    std::array<char, kTipBytes> tip{};

    QString tipText() const { return QString::fromUtf8(tip.data()); }
};

// The tip as it goes into the record: the hint cut to fit the tip field with its terminating
// zero, never in the middle of a character; all zeros when the hint is empty or not shown.
std::array<char, NotifyIconRecord::kTipBytes> makeTip(const QString& hint, bool showHint);

class TrayShell {
public:
    virtual ~TrayShell() = default;

    // Whether the desktop has a notification area right now.
    virtual bool available() const = 0;
    // Hands the record to the shell; true when the shell accepted it.
    virtual bool notifyIcon(NotifyMessage message, const NotifyIconRecord& record) = 0;

    // The pointer's screen position (false when it cannot be read) and the keys held down.
    virtual bool cursorPos(QPoint& at) const = 0;
    virtual Qt::KeyboardModifiers keyboardModifiers() const = 0;
    // Makes `window` the foreground window (before a menu opens at the icon).
    virtual void setForegroundWindow(QWidget* window) = 0;

    // Where the shell's mouse messages for the icon go (trayMouse::*).
    std::function<void(int mouseMessage)> onMouseMessage;
};

// The desktop's own shell.
std::unique_ptr<TrayShell> createQtTrayShell();

}  // namespace corvina
