// The main window's two views, dragging it by its background, minimising and restoring, the
// main menu from the menu symbol, and the edge snapping.
#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

#include "app/Main.h"
#include "app/Picture.h"
#include "components/ScreenSnap.h"
#include "components/TrayIcon.h"
#include "forms/Tracks.h"
#include "menu/Menu2000.h"
#include "platform/ErrorReport.h"
#include "platform/shell/WindowDrag.h"
#include "platform/shell/WorkArea.h"

namespace {

constexpr int kCornerEllipse = 18;
constexpr int kSnapThreshold = 10;
const QString kAppTitle = QStringLiteral("Corvina CD 播放器");

}  // namespace

void TFormMain::MenuPortivoClick(QObject*) {
    Portivo->move(0, 0);
    Portivo->show();
    resize(Portivo->size());
    const QRect screen = corvina::shell::workArea().primaryScreen();
    move(screen.x() + (screen.width() - Portivo->width()) / 2, screen.y());
    setRoundRegion(0);
    PortivoView = true;
    if (TrayIcon && TrayIcon->MinimizeToTray()) {
        showFromTray();
        TrayIcon->setMinimizeToTray(false);
    }
}

void TFormMain::MenuFullClick(QObject*) {
    Portivo->move(0, 0);
    Portivo->hide();
    resize(ImageBack->size());
    const QRect screen = corvina::shell::workArea().primaryScreen();
    move(screen.x() + (screen.width() - ImageBack->width()) / 2,
         screen.y() + (screen.height() - ImageBack->height()) / 2);
    setRoundRegion(kCornerEllipse);
    PortivoView = false;
    if (TrayIcon && TrayIcon->MinimizeToTray()) {
        showFromTray();
        TrayIcon->setMinimizeToTray(false);
    }
}

void TFormMain::FormMove(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers, int x,
                         int y) {
    if (button != Qt::LeftButton) return;
    auto* drag = findChild<corvina::shell::WindowDrag*>(QString(), Qt::FindDirectChildrenOnly);
    if (!drag) {
        drag = new corvina::shell::WindowDrag(this);
        // A move the window carried out by itself ends like one of the window manager's.
        drag->OnMoveEnded = [this] {
            corvina::runHandler([this] {
                if (ScreenSnap) ScreenSnap->exitSizeMove();
            });
        };
    }
    const auto* control = qobject_cast<QWidget*>(sender);
    drag->begin(control ? control->mapToGlobal(QPoint(x, y)) : QCursor::pos());
}

void TFormMain::MenuPopup(QObject*) {
    if (MenuMain) MenuMain->Popup(x() + 18, y() + 20);
}

void TFormMain::MenuMinimizeClick(QObject*) {
    restoreHooked_ = true;
    // Minimising an already minimised window does nothing; the window system's minimise then
    // comes back here (changeEvent) and only repeats the flags.
    if (!isMinimized()) showMinimized();
    Minimized = true;
}

void TFormMain::RestoreWindow(QObject*) {
    setApplicationTitle(kAppTitle);
    Minimized = false;
}

void TFormMain::MenuTracksClick(QObject*) {
    TFormTracks form(this);
    form.exec();
}

void TFormMain::createScreenSnap() {
    ScreenSnap = new TScreenSnap(this);
    ScreenSnap->setObjectName(QStringLiteral("ScreenSnap"));
    ScreenSnap->Threshold = kSnapThreshold;
}

void TFormMain::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    const bool was = change->oldState() & Qt::WindowMinimized;
    const bool now = isMinimized();
    // Every way of minimising (button, menu, taskbar, window manager) runs the player's own
    // handler; leaving the minimised state runs the restore handler once it is installed.
    if (!was && now && minimizeHooked_) corvina::runHandler([this] { MenuMinimizeClick(this); });
    if (was && !now && restoreHooked_) corvina::runHandler([this] { RestoreWindow(this); });
}

void TFormMain::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    corvina::runHandler(
        [&] { FormMove(this, event->button(), event->modifiers(), at.x(), at.y()); });
}

void TFormMain::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) corvina::runHandler([this] { MenuPortivoClick(this); });
}
