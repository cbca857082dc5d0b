// The two backgrounds: the full view (460 x 64) and the compact strip (180 x 18). Every display
// and button of the player sits in a field drawn here; the positions come from the main window's
// layout.
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "Canvas.h"
#include "Pictures.h"
#include "PixelFont.h"

namespace skingen {

const std::vector<Place> kFullButtons{
    {"CorvinaPlay", {151, 22, 19, 19}, {19, 19}},
    {"CorvinaPause", {178, 22, 19, 19}, {19, 19}},
    {"CorvinaStop", {207, 22, 19, 19}, {19, 19}},
    {"CorvinaPrevious", {236, 22, 22, 19}, {22, 19}},
    {"CorvinaRewind", {268, 22, 19, 19}, {19, 19}},
    {"CorvinaForward", {297, 22, 19, 19}, {19, 19}},
    {"CorvinaNext", {326, 22, 22, 19}, {22, 19}},
    {"CorvinaEject", {358, 22, 19, 19}, {19, 19}},
    {"CorvinaPortivo", {414, 2, 14, 12}, {8, 5}},
    {"CorvinaMinimize", {427, 2, 14, 12}, {8, 5}},
    {"CorvinaClose", {440, 0, 16, 16}, {9, 8}},
    {"CorvinaSysTray", {440, 15, 16, 16}, {16, 16}},
};

const std::vector<Place> kCompactButtons{
    {"PortivoPlay", {29, 2, 16, 15}, {13, 11}},
    {"PortivoPause", {45, 2, 16, 15}, {13, 11}},
    {"PortivoStop", {61, 2, 16, 15}, {13, 11}},
    {"PortivoPrev", {77, 2, 16, 15}, {13, 11}},
    {"PortivoRewind", {93, 2, 16, 15}, {13, 11}},
    {"PortivoForward", {109, 2, 16, 15}, {13, 11}},
    {"PortivoNext", {125, 2, 16, 15}, {13, 11}},
    {"PortivoEject", {141, 2, 16, 15}, {13, 11}},
    // A 16 x 16 picture on a 16 x 15 button: placed at the corner, its bottom row cut off.
    {"PortivoRestore", {162, 2, 16, 15}, {16, 16}},
};

namespace {

const QColor kRim(104, 8, 24);
const QColor kShade(150, 40, 52);    // the dark side of an engraved edge
const QColor kLight(255, 214, 214);  // the lit side
const QColor kSocket(92, 6, 22);

// A one-pixel sunken edge around `r` (r itself is the interior).
void sunken(QPainter& p, const QRect& r, const QColor& dark, const QColor& light) {
    p.setPen(dark);
    p.drawLine(r.left() - 1, r.top() - 1, r.right() + 1, r.top() - 1);
    p.drawLine(r.left() - 1, r.top(), r.left() - 1, r.bottom() + 1);
    p.setPen(light);
    p.drawLine(r.left(), r.bottom() + 1, r.right() + 1, r.bottom() + 1);
    p.drawLine(r.right() + 1, r.top(), r.right() + 1, r.bottom());
}

void body(QPainter& p, const QRectF& r, qreal radius, const QColor& top, const QColor& bottom) {
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath shape;
    shape.addRoundedRect(r, radius, radius);
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, top);
    fill.setColorAt(0.45, QColor(255, 132, 132));
    fill.setColorAt(1, bottom);
    p.fillPath(shape, fill);
    // The gloss of a moulded case over the upper third.
    QLinearGradient gloss(r.topLeft(), QPointF(r.left(), r.top() + r.height() * 0.4));
    gloss.setColorAt(0, QColor(255, 255, 255, 110));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillPath(shape, gloss);
    p.setPen(QPen(QColor(255, 226, 226, 170), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(1.5, 1.5, -1.5, -1.5), radius - 1.5, radius - 1.5);
    p.setPen(QPen(kRim, 1));
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
    p.setRenderHint(QPainter::Antialiasing, false);
}

// The menu symbol: a round dark button with three bars.
void menuSymbol(QImage& image, int x, int y) {
    QPainter p(&image);
    paintGel(p, QRectF(x + 0.5, y + 0.5, 15, 15), 7.5, darkGel());
    p.end();
    for (int i = 0; i < 3; ++i)
        for (int c = 0; c < 7; ++c) {
            image.setPixel(x + 4 + c, y + 5 + 3 * i, qRgb(255, 255, 255));
            image.setPixel(x + 4 + c, y + 6 + 3 * i, qRgb(120, 20, 34));
        }
}

// A dark ring one pixel outside a button: the hole the button sits in, which shows at its
// top and left while it is held down.
void socket(QPainter& p, const QRectF& r, qreal radius) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(kLight.red(), kLight.green(), kLight.blue(), 150));
    p.drawRoundedRect(r.adjusted(0, 0, 1.5, 1.5), radius + 1, radius + 1);
    p.setBrush(kSocket);
    p.drawRoundedRect(r.adjusted(-1, -1, 1, 1), radius + 1, radius + 1);
    p.setRenderHint(QPainter::Antialiasing, false);
}

void labelField(QPainter& p, const QRect& r) {
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, QColor(255, 206, 204));
    fill.setColorAt(1, QColor(255, 232, 230));
    p.fillRect(r, fill);
    sunken(p, r, kShade, kLight);
}

void grille(QImage& image, int x, int y, int cols, int rows) {
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const int px = x + 4 * c, py = y + 4 * r;
            pixelArt(image, px, py, {"dd.", "dml", ".ll"},
                     {{'d', qRgb(120, 22, 36)}, {'m', qRgb(70, 0, 12)}, {'l', kLight.rgb()}});
        }
}

void dimFrame(QPainter& p, const QRect& r) {
    p.setPen(QColor(84, 14, 18));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
}

QImage fullView() {
    QImage image = canvas(460, 64, kRim.rgb());
    QPainter p(&image);
    body(p, QRectF(0, 0, 460, 64), 9, QColor(255, 184, 184), QColor(226, 88, 98));

    // The display window at the left: play state, disc, three LCDs and the mute switch.
    const QRect panel(27, 5, 112, 34);
    p.fillRect(panel, Qt::black);
    sunken(p, panel, kShade, kLight);
    dimFrame(p, QRect(30, 8, 12, 10));   // play state icons at 32,10
    dimFrame(p, QRect(30, 25, 12, 9));   // IconDisc at 32,27
    dimFrame(p, QRect(47, 6, 28, 20));   // LCDTrack at 49,8
    dimFrame(p, QRect(79, 6, 57, 20));   // LCDTime1 and LCDTime2 at 81,8 and 110,8
    dimFrame(p, QRect(120, 27, 13, 8));  // the mute switch at 122,29

    // Around the whole display window and the strip: an engraved edge.
    const QRect strip(144, 6, 239, 12);  // marquee 144..320, volume bar 321..382
    p.fillRect(strip, Qt::black);
    sunken(p, strip.adjusted(-1, -1, 1, 1), kShade, kLight);
    p.setPen(Qt::black);
    p.drawRect(strip.adjusted(-1, -1, 0, 0));

    // The button row in a groove, each button in its hole.
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient groove(0, 20, 0, 43);
    groove.setColorAt(0, QColor(210, 78, 90));
    groove.setColorAt(1, QColor(246, 128, 132));
    p.setPen(QPen(kShade, 1));
    p.setBrush(groove);
    p.drawRoundedRect(QRectF(146.5, 19.5, 236, 23), 7, 7);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (const Place& place : kFullButtons) {
        const QRectF r(place.at(), place.picture);
        if (place.button.top() == 22) socket(p, r, r.height() / 2);
    }
    // The window buttons: two small plates, and round holes for close and to-tray.
    paintGel(p, QRectF(415, 3, 12, 10), 3, darkGel());
    paintGel(p, QRectF(428, 3, 12, 10), 3, darkGel());
    socket(p, QRectF(441, 1, 13, 13), 6.5);
    paintGel(p, QRectF(441, 1, 13, 13), 6.5, redGel());
    socket(p, QRectF(441, 16, 13, 13), 6.5);

    // Fields for the labels along the bottom edge.
    // Each field leaves room for its label to grow with its text ("正在播放...", a wide font).
    labelField(p, QRect(27, 44, 84, 14));   // LabelStatus at 30,46
    labelField(p, QRect(161, 44, 73, 14));  // LabelTime at 165,44
    labelField(p, QRect(267, 44, 40, 14));  // LabelTrack at 271,44
    labelField(p, QRect(330, 44, 47, 14));  // LabelVersion at 334,44
    labelField(p, QRect(383, 44, 70, 14));  // LabelSysTime at 386,44
    p.end();

    menuSymbol(image, 6, 6);
    grille(image, 8, 27, 4, 4);

    // Captions under the LCDs, the colon between minutes and seconds, and the maker's name in
    // the free corner under the volume bar.
    const QRgb caption = qRgb(196, 52, 52);
    drawText(image, PixelFont::Small, 52, 29, "TRACK", caption);
    drawText(image, PixelFont::Small, 89, 29, "TIME", caption);
    image.setPixel(106, 14, qRgb(236, 34, 34));
    image.setPixel(106, 19, qRgb(244, 64, 64));
    const QRgb engraved = qRgb(128, 12, 28), lit = qRgb(255, 220, 220);
    drawText(image, PixelFont::Large, 392, 24, "CORVINA", lit);
    drawText(image, PixelFont::Large, 391, 23, "CORVINA", engraved);
    drawText(image, PixelFont::Small, 395, 33, "CD PLAYER", lit);
    drawText(image, PixelFont::Small, 394, 32, "CD PLAYER", engraved);
    grille(image, 117, 47, 10, 3);

    // A small speaker beside the volume bar.
    pixelArt(image, 387, 7,
             {"....m...", "...mm.l.", "mmmmm..l", "mmmmm..l", "mmmmm..l", "...mm.l.", "....m..."},
             {{'m', qRgb(128, 12, 28)}, {'l', qRgb(170, 40, 50)}});
    return image;
}

QImage compactView() {
    QImage image = canvas(180, 18, kRim.rgb());
    QPainter p(&image);
    body(p, QRectF(0, 0, 180, 18), 0, QColor(255, 184, 184), QColor(232, 96, 104));
    p.setPen(kShade);
    p.drawLine(23, 3, 23, 14);
    p.setPen(kLight);
    p.drawLine(24, 3, 24, 14);
    for (const Place& place : kCompactButtons) {
        const QPoint at = place.button.topLeft() + QPoint(1, 2);
        if (place.picture.width() == 13) socket(p, QRectF(at, place.picture), 3);
    }
    socket(p, QRectF(163, 3, 14, 12), 4);
    p.end();
    menuSymbol(image, 3, 1);
    return image;
}

}  // namespace

void addWindowPictures(Pictures& out) {
    out.push_back({"ImageBack", fullView(), Depth::Rgb24});
    out.push_back({"ImagePortivo", compactView(), Depth::Rgb24});
}

}  // namespace skingen
