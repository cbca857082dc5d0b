#pragma once
// A notification area for tests: records every record handed to it, and switches that make it
// absent, refuse icons or lose the pointer. `press()` delivers a mouse message as the shell would.
#include <QList>
#include <utility>

#include "platform/tray/TrayShell.h"

namespace corvina {

class FakeTrayShell final : public TrayShell {
public:
    // Switches.
    bool hasNotificationArea = true;  // false: no tray host at all
    bool refuseIcons = false;         // the shell answers every message with failure
    bool cursorReadable = true;
    QPoint cursor{640, 700};
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;

    // What the tests look at.
    QList<std::pair<NotifyMessage, NotifyIconRecord>> messages;
    QList<QWidget*> foregroundWindows;
    // Also appends each message here when set (outlives the shell, which dies with its icon).
    QList<NotifyMessage>* journal = nullptr;
    // Whether the icon is in the notification area now.
    bool iconShown = false;
    const NotifyIconRecord& lastRecord() const { return messages.last().second; }

    void press(int mouseMessage) {
        if (onMouseMessage) onMouseMessage(mouseMessage);
    }

    bool available() const override { return hasNotificationArea; }
    bool notifyIcon(NotifyMessage message, const NotifyIconRecord& record) override {
        messages.append({message, record});
        if (journal) journal->append(message);
        if (!hasNotificationArea || refuseIcons) return false;
        if (message == NotifyMessage::Add) iconShown = true;
        if (message == NotifyMessage::Delete) iconShown = false;
        return true;
    }
    bool cursorPos(QPoint& at) const override {
        at = cursor;
        return cursorReadable;
    }
    Qt::KeyboardModifiers keyboardModifiers() const override { return modifiers; }
    void setForegroundWindow(QWidget* window) override { foregroundWindows.append(window); }
};

}  // namespace corvina
