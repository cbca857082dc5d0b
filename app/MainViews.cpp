// The main window's handlers for its looks and its windows: dragging, minimising, and the
// commands whose windows and views join the player later.
#include <QEvent>
#include <QMouseEvent>
#include <QWindow>

#include "app/Main.h"
#include "forms/Tracks.h"
#include "menu/Menu2000.h"
#include "platform/ErrorReport.h"

void TFormMain::FormMove(QObject*, Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
    if (button != Qt::LeftButton) return;
    // The window manager moves the window with the pointer, as by a title bar.
    if (QWindow* window = windowHandle()) window->startSystemMove();
}

void TFormMain::MenuMinimizeClick(QObject*) {
    restoreHooked_ = true;
    if (!isMinimized()) showMinimized();
    Minimized = true;
}

void TFormMain::RestoreWindow(QObject*) {
    setApplicationTitle(QStringLiteral("Corvina CD 播放器"));
    Minimized = false;
}

// Joins here: the compact view.
void TFormMain::MenuPortivoClick(QObject*) {}
// Joins here: the full view.
void TFormMain::MenuFullClick(QObject*) {}
void TFormMain::MenuPopup(QObject*) {
    if (MenuMain) MenuMain->Popup(x() + 18, y() + 20);
}
void TFormMain::MenuTracksClick(QObject*) {
    TFormTracks form(this);
    form.exec();
}
// Joins here: the screen-edge snapping of the main window.
void TFormMain::createScreenSnap() {}

void TFormMain::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    const bool was = change->oldState() & Qt::WindowMinimized;
    const bool now = isMinimized();
    // Every way of minimising (button, taskbar, window manager) runs the player's own handler.
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
