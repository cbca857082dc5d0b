// The larger artwork: the program's icons, the tray icon, the splash picture and the About
// box's side picture.
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "Canvas.h"
#include "Pictures.h"

namespace skingen {

namespace {

const QColor kMaroon(104, 0, 18);

// A round red badge with a white play triangle.
void playBadge(QPainter& p, const QRectF& r) {
    paintGel(p, r, r.width() / 2, redGel());
    const qreal h = r.height() * 0.42, w = h * 0.9;
    const QPointF c = r.center() + QPointF(r.width() * 0.04, 0);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF(
        {c + QPointF(-w / 2, -h / 2), c + QPointF(w / 2, 0), c + QPointF(-w / 2, h / 2)}));
}

void note(QPainter& p, const QPointF& at, qreal size) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(255, 255, 255), size * 0.1));
    p.setBrush(kMaroon);
    QPainterPath path;
    path.addEllipse(QRectF(at.x(), at.y() + size * 0.72, size * 0.42, size * 0.3));
    path.addRect(QRectF(at.x() + size * 0.32, at.y(), size * 0.12, size * 0.86));
    path.addPolygon(QPolygonF({at + QPointF(size * 0.32, 0), at + QPointF(size * 0.78, size * 0.2),
                               at + QPointF(size * 0.78, size * 0.42),
                               at + QPointF(size * 0.42, size * 0.26)}));
    path.setFillRule(Qt::WindingFill);
    const QPainterPath outline = path.simplified();
    p.drawPath(outline);
    p.fillPath(outline, kMaroon);
}

QImage mainIcon(int size) {
    QImage image = canvas(size, size);
    QPainter p(&image);
    if (size >= 32) {
        paintDisc(p, QRectF(1, 1, 28, 28));
        playBadge(p, QRectF(16, 16, 15, 15));
    } else {
        paintDisc(p, QRectF(0, 0, 15, 15));
        playBadge(p, QRectF(7, 7, 9, 9));
    }
    return image;
}

QImage audioCdIcon() {
    QImage image = canvas(32, 32);
    QPainter p(&image);
    paintDisc(p, QRectF(1, 2, 29, 29));
    note(p, QPointF(17, 1), 14);
    return image;
}

QImage trackFileIcon() {
    QImage image = canvas(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath sheet;
    sheet.moveTo(5.5, 1.5);
    sheet.lineTo(19.5, 1.5);
    sheet.lineTo(26.5, 8.5);
    sheet.lineTo(26.5, 30.5);
    sheet.lineTo(5.5, 30.5);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(90, 70, 76), 1));
    p.setBrush(QColor(255, 255, 255));
    p.drawPath(sheet);
    p.setBrush(QColor(226, 214, 218));
    p.drawPolygon(QPolygonF({{19.5, 1.5}, {19.5, 8.5}, {26.5, 8.5}}));
    paintDisc(p, QRectF(8, 13, 16, 16));
    note(p, QPointF(8, 3), 10);
    return image;
}

void backdrop(QPainter& p, const QRect& r) {
    QLinearGradient base(r.topLeft(), r.bottomLeft());
    base.setColorAt(0, QColor(255, 150, 150));
    base.setColorAt(0.5, QColor(226, 52, 70));
    base.setColorAt(1, QColor(120, 0, 22));
    p.fillRect(r, base);
    QRadialGradient glow(QPointF(r.width() * 0.7, r.height() * 0.35), r.width() * 0.6);
    glow.setColorAt(0, QColor(255, 220, 220, 120));
    glow.setColorAt(1, QColor(255, 220, 220, 0));
    p.fillRect(r, glow);
}

void shadowedText(QPainter& p, const QPointF& at, const QString& text, const QFont& font,
                  const QColor& colour) {
    p.setFont(font);
    p.setPen(QColor(90, 0, 16, 170));
    p.drawText(at + QPointF(1.5, 1.5), text);
    p.setPen(colour);
    p.drawText(at, text);
}

QFont latin(int pixels, bool bold = true, bool italic = false) {
    QFont f("DejaVu Sans");
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QFont chinese(int pixels) {
    QFont f("AR PL UMing CN");
    f.setPixelSize(pixels);
    f.setBold(true);
    return f;
}

void discWithShadow(QPainter& p, const QRectF& r) {
    p.setRenderHint(QPainter::Antialiasing, true);
    QRadialGradient shade(r.center() + QPointF(4, 6), r.width() / 2 + 8);
    shade.setColorAt(0.85, QColor(60, 0, 10, 110));
    shade.setColorAt(1, QColor(60, 0, 10, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawEllipse(r.adjusted(-8, -6, 16, 18));
    // The hole shows the backdrop: draw the disc on its own layer and lay it on.
    QImage layer = canvas(p.device()->width(), p.device()->height());
    QPainter lp(&layer);
    paintDisc(lp, r);
    lp.end();
    p.drawImage(0, 0, layer);
}

QImage splash() {
    QImage image = canvas(300, 200, qRgb(0, 0, 0));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    backdrop(p, image.rect());
    discWithShadow(p, QRectF(-70, 40, 190, 190));
    playBadge(p, QRectF(84, 140, 34, 34));
    // A gloss across the top, like the player's case.
    QLinearGradient gloss(0, 0, 0, 70);
    gloss.setColorAt(0, QColor(255, 255, 255, 90));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRect(0, 0, 300, 70), gloss);

    shadowedText(p, QPointF(128, 62), "Corvina", latin(38, true, true), Qt::white);
    shadowedText(p, QPointF(132, 96), "CD 播放器", chinese(26), QColor(255, 236, 236));
    shadowedText(p, QPointF(258, 84), "XP", latin(14), QColor(255, 210, 210));
    p.setPen(QColor(255, 255, 255, 200));
    p.drawLine(QPointF(132, 108), QPointF(288, 108));
    shadowedText(p, QPointF(134, 126), "Version 4.3", latin(11, false), QColor(255, 232, 232));
    shadowedText(p, QPointF(196, 190), "© 2002 Velmaro", latin(10, false), QColor(255, 200, 200));
    p.setPen(QColor(70, 0, 12));
    p.setBrush(Qt::NoBrush);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawRect(0, 0, 299, 199);
    return image;
}

QImage aboutSide() {
    QImage image = canvas(87, 200, qRgb(0, 0, 0));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    backdrop(p, image.rect());
    discWithShadow(p, QRectF(-48, -40, 124, 124));
    p.save();
    p.translate(78, 194);
    p.rotate(-90);
    shadowedText(p, QPointF(0, 0), "Corvina", latin(27, true, true), Qt::white);
    p.restore();
    shadowedText(p, QPointF(8, 168), "CD", latin(14), QColor(255, 236, 236));
    shadowedText(p, QPointF(6, 188), "播放器", chinese(14), QColor(255, 236, 236));
    return image;
}

}  // namespace

void addArtwork(Pictures& out) {
    out.push_back({"MAINICON", mainIcon(32), Depth::Indexed256});
    out.push_back({"MAINICON16", mainIcon(16), Depth::Indexed256});
    out.push_back({"TrayIcon", mainIcon(16), Depth::Indexed256});
    out.push_back({"AudioCD", audioCdIcon(), Depth::Indexed256});
    out.push_back({"CdaFile", trackFileIcon(), Depth::Indexed256});
    out.push_back({"Splash", splash(), Depth::Indexed256});
    out.push_back({"AboutSide", aboutSide(), Depth::Indexed256});
}

}  // namespace skingen
