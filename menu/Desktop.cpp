#include "menu/Desktop.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace am2000 {

QImage grabScreen(const QRect& rect) {
    QScreen* screen = QGuiApplication::screenAt(rect.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return {};
    const QRect geometry = screen->geometry();
    const QPixmap pixmap = screen->grabWindow(0, rect.x() - geometry.x(), rect.y() - geometry.y(),
                                              rect.width(), rect.height());
    if (pixmap.isNull()) return {};
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
    if (image.size() != rect.size()) image = image.scaled(rect.size());
    image.setDevicePixelRatio(1.0);
    return image;
}

T_AM2000_Desktop::T_AM2000_Desktop() : source_(grabScreen) {}

void T_AM2000_Desktop::setScreenSource(T_AM2000_ScreenSource source) {
    source_ = source ? std::move(source) : T_AM2000_ScreenSource(grabScreen);
    clear();
}

QImage T_AM2000_Desktop::capture(const QRect& rect) {
    return capture(rect, true);
}

QImage T_AM2000_Desktop::capture(const QRect& rect, bool copyOut) {
    if (rect.isEmpty() || !canCapture_) return {};
    for (auto it = captures_.rbegin(); it != captures_.rend(); ++it) {
        if (it->rect.contains(rect))
            return copyOut ? it->image.copy(rect.translated(-it->rect.topLeft())) : QImage();
    }
    const QRect wide = rect.adjusted(-kCaptureMargin, -kCaptureMargin, kCaptureMargin,
                                     kCaptureMargin);
    ++screenReads_;
    QImage image = source_(wide);
    if (image.isNull()) {
        canCapture_ = false;
        return {};
    }
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&image);
        for (const T_AM2000_Screenshot& earlier : captures_)
            painter.drawImage(earlier.rect.topLeft() - wide.topLeft(), earlier.image);
    }
    captures_.push_back({wide, image});
    return copyOut ? image.copy(rect.translated(-wide.topLeft())) : QImage();
}

void T_AM2000_Desktop::windowHidden() {
    if (shownWindows_ > 0) --shownWindows_;
    if (shownWindows_ == 0) release();
}

void T_AM2000_Desktop::release() {
    if (keepOnce_) {
        keepOnce_ = false;
        return;
    }
    clear();
}

void T_AM2000_Desktop::clear() {
    captures_.clear();
    canCapture_ = true;
}

T_AM2000_Desktop& desktop() {
    static T_AM2000_Desktop instance;
    return instance;
}

}  // namespace am2000
