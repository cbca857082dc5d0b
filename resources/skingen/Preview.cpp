// The preview: the full and compact views composed the way the player draws them (backgrounds,
// keyed buttons, opaque icons, LCD cells, the volume bar, labels and the window's rounded
// shape), plus a sheet of the menu pictures on the menu's white and red, so the skin can be
// judged at 1:1 before it ever reaches the player.
#include <QDir>
#include <QFont>
#include <QPainter>
#include <cmath>

#include "Canvas.h"
#include "Pictures.h"

namespace skingen {

namespace {

// Draws `picture` leaving out its key colour (the colour of its bottom-left pixel).
void keyed(QImage& target, const QImage& picture, QPoint at, QRect clip = QRect()) {
    const QImage src = picture.convertToFormat(QImage::Format_RGB32);
    const QRgb key = src.pixel(0, src.height() - 1);
    if (clip.isNull()) clip = target.rect();
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) {
            const QPoint p = at + QPoint(x, y);
            if (src.pixel(x, y) != key && clip.contains(p)) target.setPixel(p, src.pixel(x, y));
        }
}

void lcd(QImage& target, const QImage& strip, QPoint at, int value) {
    QPainter p(&target);
    p.fillRect(QRect(at, QSize(24, 17)), Qt::black);
    const QString text = QString("%1").arg(value, 2, 10, QChar(' '));
    for (int i = 0; i < 2; ++i) {
        const int cell = text[i].isDigit() ? text[i].digitValue() : 10;
        p.drawImage(at + QPoint(2 + i * 11, 2), strip, QRect(cell * 9, 0, 9, 13));
    }
}

void label(QImage& target, QRect r, const QString& text, const QFont& font, QColor colour,
           Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    QPainter p(&target);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(r, align, text);
}

QFont font(const char* family, int pixels) {
    QFont f(family);
    f.setPixelSize(pixels);
    return f;
}

// The window's shape: a rounded rectangle with 18 x 18 corner ellipses; outside it the desktop.
void shape(QImage& image, int radius) {
    const int w = image.width(), h = image.height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double cx = std::clamp(x + 0.5, double(radius), double(w - radius));
            const double cy = std::clamp(y + 0.5, double(radius), double(h - radius));
            if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) > radius)
                image.setPixel(x, y, qRgb(58, 110, 165));
        }
}

QImage fullView(const Pictures& pics) {
    QImage view = find(pics, "ImageBack").image.convertToFormat(QImage::Format_RGB32);
    auto pic = [&](const char* name) { return find(pics, name).image; };
    QPainter(&view).drawImage(32, 10, pic("IconPlaying"));
    QPainter(&view).drawImage(32, 27, pic("IconDisc"));
    QPainter(&view).drawImage(122, 29, pic("IconMuteFalse"));
    const QImage strip = pic("LCDDigits");
    lcd(view, strip, {49, 8}, 3);
    lcd(view, strip, {81, 8}, 1);
    lcd(view, strip, {110, 8}, 25);
    {
        QPainter p(&view);
        p.fillRect(QRect(144, 6, 177, 12), Qt::black);
        p.fillRect(QRect(321, 6, 62, 12), Qt::black);
    }
    label(view, QRect(150, 6, 170, 12), "Artist - Album - Track 03", font("AR PL UMing CN", 12),
          QColor(255, 121, 121));
    const QImage ruler = pic("VolumeRuler");
    for (int x = 0; x < 50; x += 12) keyed(view, ruler, {327 + x, 13}, QRect(327, 6, 50, 12));
    keyed(view, pic("VolumeThumb"), {327 + 27, 12});
    for (const Place& place : kFullButtons) keyed(view, pic(place.name), place.at(), place.button);
    const QColor maroon(128, 0, 0);
    label(view, QRect(30, 46, 60, 12), "正在播放...", font("AR PL UMing CN", 12), maroon);
    label(view, QRect(165, 44, 59, 13), "04:37/52:10", font("DejaVu Sans", 11), maroon);
    label(view, QRect(271, 44, 29, 13), "03/12", font("DejaVu Sans", 11), maroon);
    label(view, QRect(334, 44, 40, 13), "Ver 4.3", font("DejaVu Sans", 11), maroon);
    label(view, QRect(386, 44, 65, 13), "19:05:42", font("DejaVu Sans", 11), QColor(255, 0, 0),
          Qt::AlignCenter);
    shape(view, 9);
    return view;
}

QImage compactView(const Pictures& pics) {
    QImage view = find(pics, "ImagePortivo").image.convertToFormat(QImage::Format_RGB32);
    for (const Place& place : kCompactButtons)
        keyed(view, find(pics, place.name).image, place.at(), place.button);
    return view;
}

QImage menuSheet(const Pictures& pics) {
    std::vector<const Picture*> items;
    for (const Picture& p : pics)
        if (p.name.startsWith("Menu") && p.name != "MenuTitle") items.push_back(&p);
    QImage sheet(int(items.size()) * 20 + 4, 44, QImage::Format_RGB32);
    QPainter(&sheet).fillRect(QRect(0, 0, sheet.width(), 22), Qt::white);
    QPainter(&sheet).fillRect(QRect(0, 22, sheet.width(), 22), QColor(255, 51, 51));
    for (size_t i = 0; i < items.size(); ++i) {
        keyed(sheet, items[i]->image, {4 + int(i) * 20, 3});
        keyed(sheet, items[i]->image, {4 + int(i) * 20, 25});
    }
    return sheet;
}

}  // namespace

void writePreview(const Pictures& pictures, const QString& folder) {
    QDir().mkpath(folder);
    fullView(pictures).save(folder + "/full.png");
    compactView(pictures).save(folder + "/compact.png");
    menuSheet(pictures).save(folder + "/menu.png");
}

}  // namespace skingen
