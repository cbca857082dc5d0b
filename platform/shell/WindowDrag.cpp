#include "platform/shell/WindowDrag.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace corvina::shell {

// XcbWindowMove.cpp
bool x11StartMove(QWindow* window, QPoint start);

WindowDrag::WindowDrag(QWidget* window) : QObject(window), window_(window) {}

WindowDrag::~WindowDrag() {
    if (state_ != State::Idle) QCoreApplication::instance()->removeEventFilter(this);
}

void WindowDrag::begin(QPoint press) {
    if (state_ == State::Idle) QCoreApplication::instance()->installEventFilter(this);
    state_ = State::Pressed;
    press_ = press;
    windowAtPress_ = window_->pos();
}

void WindowDrag::finish() {
    state_ = State::Idle;
    QCoreApplication::instance()->removeEventFilter(this);
}

bool WindowDrag::eventFilter(QObject*, QEvent* event) {
    // A mouse event reaches the filter once for every widget it propagates through; every step
    // below gives the same result for the same event.
    if (event->type() == QEvent::MouseButtonRelease) {
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
        const bool followed = state_ == State::Following;
        finish();
        if (followed && OnMoveEnded) OnMoveEnded();
        return false;
    }
    if (event->type() != QEvent::MouseMove) return false;
    const auto* move = static_cast<QMouseEvent*>(event);
    if (!(move->buttons() & Qt::LeftButton)) {
        // The release went elsewhere (another program took the pointer): nothing to finish.
        finish();
        return false;
    }
    const QPoint travelled = move->globalPosition().toPoint() - press_;
    if (state_ == State::Pressed) {
        if (travelled.manhattanLength() < kStartDistance) return false;
        // The window manager moves the window from the press on, as if it had started there.
        // Elsewhere (a Wayland compositor) the toolkit's own request starts from where the
        // pointer is now: the window trails the pointer by the few pixels travelled.
        QWindow* handle = window_->windowHandle();
        if (x11StartMove(handle, press_) || (handle && handle->startSystemMove())) {
            finish();
            return false;
        }
        state_ = State::Following;
        window_->move(windowAtPress_ + travelled);
        return false;
    }
    window_->move(windowAtPress_ + travelled);
    return false;
}

}  // namespace corvina::shell
