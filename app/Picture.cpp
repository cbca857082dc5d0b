#include "app/Picture.h"

#include <QMouseEvent>
#include <QPainter>

#include "menu/Menu2000.h"
#include "platform/ErrorReport.h"

void PointerEvents::pointerPress(QWidget* self, QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) leftDown_ = true;
    if (OnMouseDown) {
        const QPoint at = event->position().toPoint();
        corvina::runHandler(
            [&] { OnMouseDown(self, event->button(), event->modifiers(), at.x(), at.y()); });
    }
}

void PointerEvents::pointerRelease(QWidget* self, QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !leftDown_) return;
    leftDown_ = false;
    if (OnClick && self->rect().contains(event->position().toPoint()))
        corvina::runHandler([&] { OnClick(self); });
}

void PointerEvents::pointerDoubleClick(QWidget* self, QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    // The second press of a double click is no click of its own.
    leftDown_ = false;
    if (OnDblClick) corvina::runHandler([&] { OnDblClick(self); });
}

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::setPicture(const QImage& picture) {
    picture_ = picture;
    if (autoSize_ && !picture_.isNull()) resize(picture_.size());
    update();
}

void TImage::setAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    if (autoSize_ && !picture_.isNull()) resize(picture_.size());
}

void TImage::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

void TImage::mousePressEvent(QMouseEvent* event) {
    pointerPress(this, event);
}
void TImage::mouseReleaseEvent(QMouseEvent* event) {
    pointerRelease(this, event);
    if (event->button() == Qt::RightButton && PopupMenu && PopupMenu->AutoPopup &&
        rect().contains(event->position().toPoint())) {
        const QPoint at = event->globalPosition().toPoint();
        PopupMenu->PopupComponent = this;
        PopupMenu->Popup(at.x(), at.y());
    }
}
void TImage::mouseDoubleClickEvent(QMouseEvent* event) {
    pointerDoubleClick(this, event);
}

TLabel::TLabel(QWidget* parent) : QLabel(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setTextFormat(Qt::PlainText);
}

void TLabel::setCaption(const QString& caption) {
    if (caption == text()) return;
    setText(caption);
    fitWidth();
}

void TLabel::setAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    fitWidth();
}

void TLabel::fitWidth() {
    if (!autoSize_) return;
    const int width = fontMetrics().horizontalAdvance(text());
    if (width > 0) resize(width, height());
}

void TLabel::mousePressEvent(QMouseEvent* event) {
    pointerPress(this, event);
}
void TLabel::mouseReleaseEvent(QMouseEvent* event) {
    pointerRelease(this, event);
}
void TLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    pointerDoubleClick(this, event);
}
