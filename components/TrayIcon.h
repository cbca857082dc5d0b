#pragma once
// TTrayIcon: the player's icon in the desktop's notification area.
//
// UI thread only.
#include <QObject>

class TTrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TTrayIcon(QObject* owner) : QObject(owner) {}

    // When set, the application is hidden to the notification area instead of being minimised;
    // the main window's view handlers read and clear it.
    bool MinimizeToTray() const { return minimizeToTray_; }
    void setMinimizeToTray(bool on) { minimizeToTray_ = on; }

private:
    bool minimizeToTray_ = false;
};
