#include "components/LCD.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

TLCD::TLCD(QWidget* parent) : TGraphicControl(parent) {
    // Opaque: every pixel is painted here, so the parent need not erase beneath first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resizeToContents();
}

TLCD::~TLCD() = default;

void TLCD::setDigits(const QImage& strip) {
    if (strip.isNull()) return;
    digits_ = strip.convertToFormat(QImage::Format_RGB32);
    // The key colour is read from the picture as given (a one-bit strip keys white).
    const QRgb key = corvina::keyColorOf(strip);
    digitWidth_ = digits_.width() / 11;
    digitHeight_ = digits_.height();
    color_ = corvina::winFromColor(QColor::fromRgb(key)) | PaletteRelativeFlag;
    stripChanged();
}

void TLCD::stripChanged() {
    resizeToContents();
    update();
}

void TLCD::setBevelOuter(TBevelCut bevel) {
    if (bevel == bevelOuter_) return;
    bevelOuter_ = bevel;
    resizeToContents();
    update();
}

void TLCD::setBevelInner(TBevelCut bevel) {
    if (bevel == bevelInner_) return;
    bevelInner_ = bevel;
    resizeToContents();
    update();
}

void TLCD::setBevelWidth(int width) {
    width = std::clamp(width, 0, 255);
    if (width == bevelWidth_) return;
    bevelWidth_ = width;
    resizeToContents();
}

void TLCD::setColor(quint32 color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void TLCD::setLength(int length) {
    // One to eight cells: more could not hold a reduced 32-bit value meaningfully.
    length = std::clamp(length, 1, 8);
    if (length == length_) return;
    length_ = length;
    resizeToContents();
}

void TLCD::setMargin(int margin) {
    margin = std::clamp(margin, 0, 255);
    if (margin == margin_) return;
    margin_ = margin;
    resizeToContents();
}

void TLCD::setValue(int value) {
    qint64 modulus = 1;
    for (int i = 0; i < length_; ++i) modulus *= 10;
    // In 64 bits so that the magnitude of the most negative value does not overflow.
    const int reduced = int(std::llabs(qint64(value)) % modulus);
    // The tick sets every LCD every second; most seconds leave most of them as they were.
    if (reduced == value_) return;
    value_ = reduced;
    update();
}

void TLCD::resizeToContents() {
    const int bevels = (bevelOuter_ != bvNone) + (bevelInner_ != bvNone);
    const int frame = 2 * bevelWidth_ * bevels;
    const int w = frame + margin_ + length_ * (digitWidth_ + margin_);
    const int h = frame + margin_ + digitHeight_ + margin_;
    // A fixed size makes every later resize or setGeometry keep this size and apply only the
    // position.
    setFixedSize(w, h);
}

void TLCD::paint(QPainter& painter) {
    QRect r = rect();
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone) return;
        const QColor shadow = corvina::colorFromWin(clBtnShadow);
        const QColor light = corvina::colorFromWin(clBtnHighlight);
        if (cut == bvLowered)
            frame3D(painter, r, shadow, light, bevelWidth_);
        else
            frame3D(painter, r, light, shadow, bevelWidth_);
    };
    bevel(bevelOuter_);
    bevel(bevelInner_);
    painter.fillRect(r, corvina::colorFromWin(color_ & ~PaletteRelativeFlag));
    if (digitWidth_ == 0 || digitHeight_ == 0) return;

    // Right-aligned in Length characters, blanks on the left; a value stored before Length was
    // lowered may be longer, and then only its first Length characters are shown.
    const QString text = QString::number(value_).rightJustified(length_, QLatin1Char(' '));
    QPoint cell(r.left() + margin_, r.top() + margin_);
    for (int i = 0; i < length_; ++i) {
        const QChar c = text.at(i);
        const int index = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ? c.unicode() - '0' : 10;
        painter.drawImage(cell, digits_, QRect(index * digitWidth_, 0, digitWidth_, digitHeight_));
        cell.rx() += digitWidth_ + margin_;
    }
}
