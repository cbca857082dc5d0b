#include "components/SuperButton.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

TSuperButton::TSuperButton(QWidget* parent) : TGraphicControl(parent) {
    resize(30, 30);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    // Pointer moves are needed without a held button for the hover flag.
    setMouseTracking(true);
}

TSuperButton::~TSuperButton() = default;

void TSuperButton::setBitmap(const QImage& picture) {
    bitmap_ = picture;
    keyed_ = QImage();
    if (!picture.isNull()) {
        // Only exact matches of the key colour are left out; every other pixel is drawn opaque.
        const QRgb key = corvina::keyColorOf(picture) & 0xFFFFFFu;
        keyed_ = picture.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < keyed_.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(keyed_.scanLine(y));
            for (int x = 0; x < keyed_.width(); ++x)
                line[x] = (line[x] & 0xFFFFFFu) == key ? 0u : (line[x] | 0xFF000000u);
        }
    }
    update();
}

void TSuperButton::setChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    update();
}

void TSuperButton::setStyle(BStyle style) {
    if (style == style_) return;
    style_ = style;
    update();
}

void TSuperButton::setCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    update();
}

void TSuperButton::fontChanged() {
    update();
}

void TSuperButton::mousePressEvent(QMouseEvent* event) {
    TGraphicControl::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    pressed_ = true;
    repaint();
}

void TSuperButton::mouseReleaseEvent(QMouseEvent* event) {
    // The click (if any) runs in here, while the button is still drawn pressed.
    TGraphicControl::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    hover_ = rect().contains(event->position().toPoint());
    pressed_ = false;
    repaint();
}

void TSuperButton::mouseMoveEvent(QMouseEvent* event) {
    hover_ = style_ == bsNone ? imageRect_.contains(event->position().toPoint()) : true;
    TGraphicControl::mouseMoveEvent(event);
}

void TSuperButton::enterEvent(QEnterEvent* event) {
    hover_ = true;
    if (style_ == bsMSOffice || style_ == bsOutlook) update();
    TGraphicControl::enterEvent(event);
}

void TSuperButton::leaveEvent(QEvent* event) {
    hover_ = false;
    if (style_ == bsMSOffice || style_ == bsOutlook) update();
    TGraphicControl::leaveEvent(event);
}

void TSuperButton::paint(QPainter& painter) {
    const QRect r = rect();
    const bool outlookHover = style_ == bsOutlook && hover_;
    if (outlookHover) painter.fillRect(r, corvina::colorFromWin(clBtnFace));
    painter.setFont(font());
    const QFontMetrics metrics(font());
    const int th = metrics.height();
    const QColor textColor =
        corvina::colorFromWin(outlookHover || checked_ ? clBtnText : FontColor());

    if (!bitmap_.isNull()) {
        const int x = (width() - bitmap_.width()) / 2;
        const int y = caption_.isEmpty() ? (height() - bitmap_.height()) / 2
                                         : (height() - bitmap_.height() - th) / 2;
        imageRect_ = QRect(x, y, bitmap_.width(), bitmap_.height());
        const int shift = pressed_ ? 1 : 0;
        painter.drawImage(QPoint(x + shift, y + shift), keyed_);
    }

    if (!caption_.isEmpty()) {
        QRect text(0,
                   bitmap_.isNull() ? (r.top() + r.bottom() + 1 - th) / 2 : imageRect_.bottom() + 4,
                   r.width(), th);
        if (pressed_) {
            text.translate(0, 1);
            text.setLeft(2);
        }
        const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextExpandTabs | Qt::TextSingleLine;
        if (checked_) {
            const QRect used = painter.boundingRect(text, flags, caption_);
            painter.fillRect(used, corvina::colorFromWin(clBtnFace));
        }
        painter.setPen(textColor);
        painter.drawText(text, flags, caption_);
    }

    const QColor light = corvina::colorFromWin(clBtnHighlight);
    const QColor shadow = corvina::colorFromWin(clBtnShadow);
    QRect frame = r;
    if (style_ == bsNormal) {
        if (pressed_)
            frame3D(painter, frame, shadow, light, 1);
        else
            frame3D(painter, frame, light, shadow, 1);
    } else if (style_ == bsMSOffice || style_ == bsOutlook) {
        if (pressed_)
            frame3D(painter, frame, shadow, light, 1);
        else if (hover_)
            frame3D(painter, frame, light, shadow, 1);
    }
}
