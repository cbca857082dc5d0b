#include "components/GraphicControl.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "platform/ErrorReport.h"

void frame3D(QPainter& painter, QRect& rect, const QColor& topLeft, const QColor& bottomRight,
             int width) {
    for (int ring = 0; ring < width && rect.width() > 0 && rect.height() > 0; ++ring) {
        const int l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
        painter.fillRect(QRect(l, t, rect.width() - 1, 1), topLeft);
        painter.fillRect(QRect(l, t, 1, rect.height() - 1), topLeft);
        painter.fillRect(QRect(l, b, rect.width(), 1), bottomRight);
        painter.fillRect(QRect(r, t, 1, rect.height()), bottomRight);
        rect.adjust(1, 1, -1, -1);
    }
}

TGraphicControl::TGraphicControl(QWidget* parent) : QWidget(parent) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::renderTo(QImage& image) {
    QPainter painter(&image);
    painter.setClipRect(QRect(0, 0, width(), height()));
    paint(painter);
}

void TGraphicControl::setHint(const QString& hint) {
    hint_ = hint;
    updateToolTip();
}

void TGraphicControl::setShowHint(bool show) {
    showHint_ = show;
    updateToolTip();
}

void TGraphicControl::updateToolTip() {
    setToolTip(showHint_ ? hint_ : QString());
}

void TGraphicControl::setFontColor(quint32 color) {
    if (color == fontColor_) return;
    fontColor_ = color;
    fontChanged();
}

void TGraphicControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter);
}

void TGraphicControl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        // A disabled control is not there for the pointer: presses reach what lies beneath.
        setAttribute(Qt::WA_TransparentForMouseEvents, !isEnabled());
        if (!isEnabled()) clickStarted_ = false;
    } else if (event->type() == QEvent::FontChange) {
        fontChanged();
    }
    QWidget::changeEvent(event);
}

void TGraphicControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) clickStarted_ = true;
    if (OnMouseDown) {
        const QPoint pos = event->position().toPoint();
        corvina::runHandler(
            [&] { OnMouseDown(this, event->button(), event->modifiers(), pos.x(), pos.y()); });
    }
}

void TGraphicControl::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        const bool started = clickStarted_;
        clickStarted_ = false;
        if (started && rect().contains(pos)) click();
    }
    if (OnMouseUp) {
        corvina::runHandler(
            [&] { OnMouseUp(this, event->button(), event->modifiers(), pos.x(), pos.y()); });
    }
}

void TGraphicControl::mouseDoubleClickEvent(QMouseEvent*) {
    // Arrives instead of the second press of a double click, which starts no click (the default
    // would treat it as a press).
    clickStarted_ = false;
}

void TGraphicControl::mouseMoveEvent(QMouseEvent* event) {
    if (OnMouseMove) {
        const QPoint pos = event->position().toPoint();
        corvina::runHandler([&] { OnMouseMove(this, event->modifiers(), pos.x(), pos.y()); });
    }
}

void TGraphicControl::contextMenuEvent(QContextMenuEvent* event) {
    if (popupMenu_) {
        popupMenu_->popup(event->globalPos());
        event->accept();
    } else {
        event->ignore();
    }
}

void TGraphicControl::click() {
    if (OnClick) corvina::runHandler([this] { OnClick(this); });
}
