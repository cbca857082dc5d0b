#include "components/Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace corvina {

namespace {

QColor systemColor(int index) {
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
        case 1:   // desktop background
        case 12:  // application workspace
            return palette.color(QPalette::Dark);
        case 5:  // window
            return palette.color(QPalette::Base);
        case 6:   // window frame
        case 21:  // 3-D dark shadow
            return palette.color(QPalette::Shadow);
        case 7:  // menu text
        case 8:  // window text
            return palette.color(QPalette::WindowText);
        case 9:   // caption text
        case 14:  // highlighted text
            return palette.color(QPalette::HighlightedText);
        case 13:  // highlight
            return palette.color(QPalette::Highlight);
        case 4:   // menu
        case 15:  // button face
            return palette.color(QPalette::Button);
        case 16:  // button shadow
            return palette.color(QPalette::Dark);
        case 17:  // grey (disabled) text
            return palette.color(QPalette::Disabled, QPalette::WindowText);
        case 18:  // button text
            return palette.color(QPalette::ButtonText);
        case 20:  // button highlight
            return palette.color(QPalette::Light);
        case 22:  // 3-D light
            return palette.color(QPalette::Midlight);
        case 23:  // tool tip text
            return palette.color(QPalette::ToolTipText);
        case 24:  // tool tip background
            return palette.color(QPalette::ToolTipBase);
        default:
            return palette.color(QPalette::Window);
    }
}

}  // namespace

QColor colorFromWin(quint32 value) {
    if (value == clNone) return QColor();
    if ((value & 0xFF000000u) == 0x80000000u) return systemColor(int(value & 0xFF));
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

quint32 winFromColor(const QColor& color) {
    return quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16);
}

QRgb keyColorOf(const QImage& picture) {
    if (picture.isNull()) return qRgb(0, 0, 0);
    if (picture.depth() == 1) return qRgb(255, 255, 255);
    return picture.pixel(0, picture.height() - 1) | 0xFF000000u;
}

}  // namespace corvina
