#include "menu/DropShadow.h"

#include <QPainter>
#include <QRegion>

#include "menu/Desktop.h"
#include "menu/Effects.h"

namespace am2000 {

T_AM2000_DropShadowForm::T_AM2000_DropShadowForm()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setObjectName(QStringLiteral("T_AM2000_DropShadowForm"));
}

void T_AM2000_DropShadowForm::place(const QRect& menu, T_AM2000_Desktop& desktop) {
    const int s = kShadowSize;
    const QRect area = menu.translated(s, s);
    setGeometry(area);
    if (area.size() == prepared_) return;
    const int l = area.left(), t = area.top(), w = area.width(), h = area.height();
    right_ = desktop.capture(QRect(l + w - s, t, s, h));
    bottom_ = desktop.capture(QRect(l, t + h - s, w - s, s));
    if (!right_.isNull()) darkenRightStrip(right_);
    if (!bottom_.isNull()) darkenBottomStrip(bottom_);
    setMask(QRegion(w - s, 0, s, h) + QRegion(0, h - s, w - s, s));
    prepared_ = area.size();
}

void T_AM2000_DropShadowForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(width() - kShadowSize, 0, right_);
    painter.drawImage(0, height() - kShadowSize, bottom_);
}

}  // namespace am2000
