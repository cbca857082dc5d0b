// The notification area through Qt: QSystemTrayIcon picks a StatusNotifierItem when the desktop
// runs a watcher and an XEmbed icon otherwise.
#include <QCursor>
#include <QGuiApplication>
#include <QSystemTrayIcon>

#include "platform/tray/TrayShell.h"

namespace corvina {
namespace {

class QtTrayShell final : public TrayShell {
public:
    QtTrayShell() {
        QObject::connect(&icon_, &QSystemTrayIcon::activated, &icon_,
                         [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); });
    }

    bool available() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

    bool notifyIcon(NotifyMessage message, const NotifyIconRecord& record) override {
        switch (message) {
            case NotifyMessage::Add:
                update(record);
                // An icon without pixels would leave an empty slot that nobody can find.
                if (!record.icon.isNull()) icon_.show();
                return available() && icon_.isVisible();
            case NotifyMessage::Modify:
                update(record);
                return available() && icon_.isVisible();
            case NotifyMessage::Delete:
                icon_.hide();
                return true;
        }
        return false;
    }

    bool cursorPos(QPoint& at) const override {
        at = QCursor::pos();
        return true;
    }
    Qt::KeyboardModifiers keyboardModifiers() const override {
        return QGuiApplication::queryKeyboardModifiers();
    }
    void setForegroundWindow(QWidget* window) override {
        window->raise();
        window->activateWindow();
    }

private:
    void update(const NotifyIconRecord& record) {
        icon_.setIcon(record.icon);
        icon_.setToolTip(record.tipText());
    }

    // Qt reports whole clicks; the component expects the press and release messages the shell
    // sends, so each click becomes its pair.
    void send(int message) {
        if (onMouseMessage) onMouseMessage(message);
    }
    void activated(QSystemTrayIcon::ActivationReason reason) {
        switch (reason) {
            case QSystemTrayIcon::Trigger:
                send(trayMouse::LeftDown);
                send(trayMouse::LeftUp);
                break;
            case QSystemTrayIcon::DoubleClick:
                send(trayMouse::LeftDoubleClick);
                send(trayMouse::LeftUp);
                break;
            case QSystemTrayIcon::Context:
                send(trayMouse::RightDown);
                send(trayMouse::RightUp);
                break;
            case QSystemTrayIcon::MiddleClick:
                send(trayMouse::MiddleDown);
                send(trayMouse::MiddleUp);
                break;
            case QSystemTrayIcon::Unknown:
                break;
        }
    }

    QSystemTrayIcon icon_;
};

}  // namespace

std::unique_ptr<TrayShell> createQtTrayShell() {
    return std::make_unique<QtTrayShell>();
}

}  // namespace corvina
