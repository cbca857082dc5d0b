// Hiding the player to the notification area and bringing it back.
#include <QPixmap>

#include "app/Main.h"
#include "components/TrayIcon.h"
#include "menu/Menu2000.h"
#include "platform/ErrorReport.h"
#include "platform/shell/WindowStart.h"
#include "resources/Skin.h"

namespace {
const QString kNoTrayNotice = QStringLiteral(
    "桌面没有系统托盘，Corvina CD 播放器已最小化到任务栏。\n"
    "单击任务栏上的按钮或再次启动播放器即可恢复窗口。");
}

void TFormMain::createTrayIcon() {
    TrayIcon = new TTrayIcon(this);
    TrayIcon->setObjectName(QStringLiteral("TrayIcon"));
    TrayIcon->setCycleInterval(0);
    TrayIcon->setEnabled(false);
    TrayIcon->setHint(QStringLiteral("Corvina CD 播放器"));
    TrayIcon->setShowHint(true);
    TrayIcon->setIcon(QIcon(QPixmap::fromImage(skin::picture(QStringLiteral("TrayIcon")))));
    TrayIcon->setIconIndex(0);
    TrayIcon->OnClick = [this](QObject* sender) { TrayIconClick(sender); };
    // The icon's host went away while the player hid in it: come back rather than stay lost.
    TrayIcon->OnTrayLost = [this](QObject* sender) { TrayIconClick(sender); };
    TrayIcon->Loaded();
}

void TFormMain::EnableTrayIcon() {
    // The menu is created after the icon; the icon ignores the mouse until now, so this is the
    // moment it needs the menu.
    TrayIcon->setPopupMenu(MenuMain);
    TrayIcon->setEnabled(true);
}

bool TFormMain::HideToTrayAtStart() {
    // With no notification area there would be no way to the window: it is shown instead.
    if (!TrayIcon->TrayAvailable()) return false;
    TrayIcon->setMinimizeToTray(true);
    return true;
}

void TFormMain::MenuTrayClick(QObject* sender) {
    if (!TrayIcon->TrayAvailable()) {
        // Hiding with no notification area would leave no way back: the player goes to the
        // taskbar instead, and says so the first time.
        MenuMinimizeClick(sender);
        if (!noTrayExplained_) {
            noTrayExplained_ = true;
            corvina::showNotice(kNoTrayNotice);
        }
        return;
    }
    TrayIcon->setMinimizeToTray(true);
    // A host that appeared after start takes the icon now.
    TrayIcon->setIconVisible(true);
    hide();
}

void TFormMain::TrayIconClick(QObject*) {
    showFromTray();
    raise();
    activateWindow();
    if (isMinimized()) showNormal();  // runs RestoreWindow through the restore notification
    TrayIcon->setMinimizeToTray(false);
}

void TFormMain::showFromTray() {
    // Minimised once and restored by the window manager, the window would otherwise be mapped
    // minimised again, and the minimise handler would run as if the user had asked for it.
    if (!isVisible()) corvina::shell::prepareToShowNormal(this);
    show();
}
