// A 16 x 16 picture for every item of the main menu: red symbols with a dark outline, so they
// read on the white menu and on its red highlight alike. Magenta is the key colour.
#include <QPainter>
#include <QPainterPath>
#include <functional>

#include "Canvas.h"
#include "Pictures.h"
#include "Symbols.h"

namespace skingen {

namespace {

const QColor kRed(226, 30, 48), kDark(104, 0, 18), kLight(255, 188, 192), kWhite(255, 255, 255);

QImage symbolIcon(Symbol symbol, int size) {
    QImage image = canvas(16, 16, kMagenta);
    paintOutlined(image, symbolShape(symbol, size), QRect(0, 0, 16, 15), kRed.rgb(), kDark.rgb());
    return image;
}

// Vector art, keyed out against magenta once drawn.
QImage drawn(const std::function<void(QPainter&)>& paint) {
    QImage art = canvas(16, 16);
    QPainter p(&art);
    p.setRenderHint(QPainter::Antialiasing, true);
    paint(p);
    p.end();
    return keyOut(art, kMagenta);
}

void speaker(QPainter& p, qreal x, qreal y) {
    QPainterPath cone;
    cone.moveTo(x, y + 4);
    cone.lineTo(x + 3, y + 4);
    cone.lineTo(x + 7, y);
    cone.lineTo(x + 7, y + 12);
    cone.lineTo(x + 3, y + 8);
    cone.lineTo(x, y + 8);
    cone.closeSubpath();
    p.setPen(QPen(kDark, 1));
    p.setBrush(kRed);
    p.drawPath(cone);
}

void box(QPainter& p, const QRectF& r, bool lit) {
    p.setPen(QPen(kDark, 1));
    p.setBrush(lit ? kRed : kWhite);
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setBrush(lit ? kLight : QColor(220, 200, 204));
    p.drawEllipse(QPointF(r.center().x(), r.bottom() - r.width() / 2), r.width() / 3.2,
                  r.width() / 3.2);
}

void ring(QPainter& p) {
    p.setPen(QPen(kDark, 1));
    p.setBrush(kRed);
    p.drawEllipse(QRectF(1, 1, 14, 14));
}

void letter(QPainter& p, const QString& text) {
    QFont font("DejaVu Sans");
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kWhite);
    p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, text);
}

QImage page(const std::function<void(QPainter&)>& extra) {
    return drawn([&](QPainter& p) {
        QPainterPath sheet;
        sheet.moveTo(3.5, 1.5);
        sheet.lineTo(10.5, 1.5);
        sheet.lineTo(13.5, 4.5);
        sheet.lineTo(13.5, 14.5);
        sheet.lineTo(3.5, 14.5);
        sheet.closeSubpath();
        p.setPen(QPen(kDark, 1));
        p.setBrush(kWhite);
        p.drawPath(sheet);
        extra(p);
    });
}

}  // namespace

void addMenuPictures(Pictures& out) {
    auto add = [&](const char* name, QImage image, Depth depth = Depth::Rgb24) {
        out.push_back({name, std::move(image), depth});
    };
    add("MenuViewModes", drawn([](QPainter& p) {
            p.setPen(QPen(kDark, 1));
            p.setBrush(kWhite);
            p.drawRect(QRectF(1.5, 2.5, 10, 8));
            p.fillRect(QRectF(2, 3, 9.5, 2.5), kRed);
            p.setBrush(kWhite);
            p.drawRect(QRectF(5.5, 7.5, 9, 6));
            p.fillRect(QRectF(6, 8, 8.5, 2), kRed);
        }));
    add("MenuFull", symbolIcon(Symbol::Full, 10));
    add("MenuPortivo", symbolIcon(Symbol::Compact, 9));
    add("MenuMinimize", symbolIcon(Symbol::Minimize, 10));
    add("MenuTray", symbolIcon(Symbol::Tray, 11));
    add("MenuPlayback", drawn([](QPainter& p) { paintDisc(p, QRectF(1, 1, 14, 14)); }));
    add("MenuPlay", symbolIcon(Symbol::Play, 11));
    add("MenuPause", symbolIcon(Symbol::Pause, 10));
    add("MenuStop", symbolIcon(Symbol::Stop, 10));
    add("MenuEject", symbolIcon(Symbol::Eject, 10));
    add("MenuRewind", symbolIcon(Symbol::Rewind, 9));
    add("MenuForward", symbolIcon(Symbol::Forward, 9));
    add("MenuPrevious", symbolIcon(Symbol::Previous, 9));
    add("MenuNext", symbolIcon(Symbol::Next, 9));
    add("MenuTracks", page([](QPainter& p) {
            for (int i = 0; i < 4; ++i) {
                p.fillRect(QRectF(5, 4 + 2.5 * i, 2, 1.5), kRed);
                p.fillRect(QRectF(8, 4 + 2.5 * i, 4, 1.5), kDark);
            }
        }));
    add("MenuSound", drawn([](QPainter& p) {
            speaker(p, 1.5, 2);
            p.setPen(QPen(kDark, 1.2));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(6, 4, 6, 8), -60 * 16, 120 * 16);
            p.drawArc(QRectF(6, 1.5, 9, 13), -60 * 16, 120 * 16);
        }));
    add("MenuLeftChannel", drawn([](QPainter& p) {
            box(p, QRectF(1.5, 3.5, 6, 10), true);
            box(p, QRectF(8.5, 3.5, 6, 10), false);
        }));
    add("MenuRightChannel", drawn([](QPainter& p) {
            box(p, QRectF(1.5, 3.5, 6, 10), false);
            box(p, QRectF(8.5, 3.5, 6, 10), true);
        }));
    add("MenuAllChannels", drawn([](QPainter& p) {
            box(p, QRectF(1.5, 3.5, 6, 10), true);
            box(p, QRectF(8.5, 3.5, 6, 10), true);
        }));
    add("MenuAllMute", drawn([](QPainter& p) {
            speaker(p, 1.5, 2);
            p.setPen(QPen(kDark, 2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(10, 5.5), QPointF(14.5, 10.5));
            p.drawLine(QPointF(10, 10.5), QPointF(14.5, 5.5));
        }),
        Depth::Indexed256);
    add("MenuPreferences", drawn([](QPainter& p) {
            QPainterPath gear;
            const QPointF c(8, 8);
            for (int i = 0; i < 8; ++i) {
                QTransform t;
                t.translate(c.x(), c.y());
                t.rotate(45.0 * i);
                gear.addPolygon(t.map(QPolygonF(QRectF(-1.6, -7.2, 3.2, 4))));
            }
            gear.addEllipse(c, 5.2, 5.2);
            gear.setFillRule(Qt::WindingFill);
            p.setPen(QPen(kDark, 1));
            p.setBrush(kRed);
            p.drawPath(gear.simplified());
            p.setBrush(kWhite);
            p.drawEllipse(c, 2.2, 2.2);
        }));
    add("MenuHelp", drawn([](QPainter& p) {
            ring(p);
            letter(p, "?");
        }));
    add("MenuManual", drawn([](QPainter& p) {
            p.setPen(QPen(kDark, 1));
            p.setBrush(kRed);
            p.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 1.5, 1.5);
            p.setBrush(kWhite);
            p.drawRect(QRectF(4.5, 11.5, 9, 2));
            p.fillRect(QRectF(6, 4, 6, 1.5), kWhite);
            p.fillRect(QRectF(6, 6.5, 4, 1.5), kLight);
        }));
    add("MenuAbout", drawn([](QPainter& p) {
            ring(p);
            letter(p, "i");
        }));
    add("MenuProducts", drawn([](QPainter& p) {
            p.setPen(QPen(kDark, 1));
            p.setBrush(kRed);
            p.drawPolygon(QPolygonF({{1.5, 5}, {8, 8}, {8, 15}, {1.5, 12}}));
            p.setBrush(QColor(170, 10, 30));
            p.drawPolygon(QPolygonF({{14.5, 5}, {8, 8}, {8, 15}, {14.5, 12}}));
            p.setBrush(kLight);
            p.drawPolygon(QPolygonF({{1.5, 5}, {8, 1.5}, {14.5, 5}, {8, 8}}));
        }));
    add("MenuRestorix", drawn([](QPainter& p) {
            p.setPen(QPen(kDark, 4, Qt::SolidLine, Qt::FlatCap));
            p.drawArc(QRectF(3, 3, 10, 10), 100 * 16, 290 * 16);
            p.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::FlatCap));
            p.drawArc(QRectF(3, 3, 10, 10), 100 * 16, 290 * 16);
            p.setPen(QPen(kDark, 1));
            p.setBrush(kRed);
            p.drawPolygon(QPolygonF({{5.5, 0.5}, {10.5, 3.5}, {5.5, 6.5}}));
        }));
    add("MenuTextoria", page([](QPainter& p) {
            p.fillRect(QRectF(5, 4, 6, 2), kRed);
            p.fillRect(QRectF(7, 4, 2, 8), kRed);
        }));
    add("MenuExit", drawn([](QPainter& p) {
            p.setPen(QPen(kDark, 4, Qt::SolidLine, Qt::FlatCap));
            p.drawArc(QRectF(2.5, 3, 11, 11), 125 * 16, 290 * 16);
            p.drawLine(QPointF(8, 0.5), QPointF(8, 8));
            p.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::FlatCap));
            p.drawArc(QRectF(2.5, 3, 11, 11), 125 * 16, 290 * 16);
            p.drawLine(QPointF(8, 1.5), QPointF(8, 7));
        }));
}

}  // namespace skingen
