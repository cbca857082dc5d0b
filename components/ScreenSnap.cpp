#include "components/ScreenSnap.h"

#include <QEvent>
#include <QMoveEvent>
#include <QWidget>

#include "platform/ErrorReport.h"
#include "platform/shell/PointerButtons.h"

namespace {

QObject* checkedOwner(QObject* owner) {
    if (owner) {
        for (QObject* child : owner->children()) {
            if (qobject_cast<TScreenSnap*>(child))
                throw corvina::Error(
                    QStringLiteral("TScreenSnap component cannot be duplicated in ") +
                    owner->objectName());
        }
    }
    return owner;
}

}  // namespace

TScreenSnap::TScreenSnap(QObject* owner) : QObject(checkedOwner(owner)) {
    auto* form = qobject_cast<QWidget*>(owner);
    if (!form || !form->isWindow())
        throw corvina::Error(QStringLiteral("Owner of TScreenSnap component must be a form!"));
    form_ = form;
    placed_ = form_->pos();
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this,
            [this] { corvina::runHandler([this] { settle(); }); });
    // Watching the widget rather than its native window keeps the watch across re-creations.
    form_->installEventFilter(this);
}

TScreenSnap::~TScreenSnap() {
    if (form_) form_->removeEventFilter(this);
}

bool TScreenSnap::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_ && event->type() == QEvent::Move)
        ownerMoved(static_cast<QMoveEvent*>(event)->pos(), event->spontaneous());
    return false;
}

void TScreenSnap::ownerMoved(QPoint to, bool byWindowSystem) {
    if (!byWindowSystem) {
        placed_ = to;
        return;
    }
    // The window system's first word after a snap is its answer to it: the place confirmed, or
    // another one it preferred (a window manager that keeps windows off its panels), which is
    // not fought over.
    const bool answer = awaitingAnswer_ && !moving_ && sinceSnap_.elapsed() < kAnswerMs &&
                        corvina::shell::pointerButtons().held() == Qt::NoButton;
    awaitingAnswer_ = false;
    if (answer || (to == placed_ && !moving_)) return;
    moving_ = true;
    settle_.start();
}

void TScreenSnap::settle() {
    if (!moving_) return;
    // Still dragging: look again shortly.
    if (corvina::shell::pointerButtons().held() != Qt::NoButton) {
        settle_.start();
        return;
    }
    moving_ = false;
    exitSizeMove();
}

void TScreenSnap::exitSizeMove() {
    if (Active) snap();
}

void TScreenSnap::snap() {
    using namespace corvina::shell;
    const WorkArea& area = workArea();
    const QRect screen = area.primaryScreen();
    // No screen to keep the window on (a display without outputs): nowhere better to put it.
    if (screen.isEmpty()) return;
    const EdgeRect taskbar = taskbarRect(screen, area.availableArea());
    const QRect window = form_->frameGeometry().translated(-screen.topLeft());
    const QPoint to =
        corvina::snapPosition(corvina::snapArea(taskbar, screen.size()), window, Threshold);
    if (to == window.topLeft()) return;
    sinceSnap_.start();
    awaitingAnswer_ = true;
    form_->move(screen.topLeft() + to);
}

namespace corvina {

shell::EdgeRect snapArea(const shell::EdgeRect& tb, QSize screen) {
    const int w = screen.width();
    const int h = screen.height();
    shell::EdgeRect area{0, 0, w, h};
    if (tb.left == -2 && tb.bottom == h + 2 && tb.right == w + 2)
        area.bottom = tb.top;
    else if (tb.top == -2 && tb.left == -2 && tb.right == w + 2)
        area.top = tb.bottom;
    else if (tb.left == -2 && tb.top == -2 && tb.bottom == h + 2)
        area.left = tb.right;
    else if (tb.right == w + 2 && tb.top == -2 && tb.bottom == h + 2)
        area.right = tb.left;
    return area;
}

QPoint snapPosition(const shell::EdgeRect& area, const QRect& window, int threshold) {
    int left = window.x();
    int top = window.y();
    const int width = window.width();
    const int height = window.height();
    if (left < area.left + threshold) left = area.left;
    if (top < area.top + threshold) top = area.top;
    if (left + width > area.right - threshold) left = area.right - width;
    if (top + height > area.bottom - threshold) top = area.bottom - height;
    return {left, top};
}

}  // namespace corvina
