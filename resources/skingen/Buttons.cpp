// The 21 button pictures. Each is a glossy face with a white symbol; the face's anti-aliased edge
// is blended into the background picture exactly where the button sits, and everything outside
// the face is the key colour, so the background shows through without a fringe.
#include <QPainter>
#include <map>

#include "Canvas.h"
#include "Pictures.h"
#include "Symbols.h"

namespace skingen {

namespace {

const QRgb kInk = qRgb(255, 255, 255);
const QRgb kInkShadow = qRgba(60, 0, 8, 150);

struct Face {
    Symbol symbol;
    int size;  // symbol height
    Depth depth;
};

const std::map<QString, Face>& faces() {
    static const std::map<QString, Face> table{
        {"CorvinaPlay", {Symbol::Play, 9, Depth::Indexed16}},
        {"CorvinaPause", {Symbol::Pause, 8, Depth::Rgb24}},
        {"CorvinaStop", {Symbol::Stop, 8, Depth::Indexed16}},
        {"CorvinaPrevious", {Symbol::Previous, 8, Depth::Rgb24}},
        {"CorvinaRewind", {Symbol::Rewind, 8, Depth::Rgb24}},
        {"CorvinaForward", {Symbol::Forward, 8, Depth::Indexed16}},
        {"CorvinaNext", {Symbol::Next, 8, Depth::Rgb24}},
        {"CorvinaEject", {Symbol::Eject, 8, Depth::Indexed16}},
        {"CorvinaSysTray", {Symbol::Tray, 7, Depth::Indexed256}},
        {"PortivoPlay", {Symbol::Play, 7, Depth::Indexed16}},
        {"PortivoPause", {Symbol::Pause, 6, Depth::Indexed16}},
        {"PortivoStop", {Symbol::Stop, 6, Depth::Indexed16}},
        {"PortivoPrev", {Symbol::Previous, 5, Depth::Indexed16}},
        {"PortivoRewind", {Symbol::Rewind, 5, Depth::Indexed16}},
        {"PortivoForward", {Symbol::Forward, 5, Depth::Indexed16}},
        {"PortivoNext", {Symbol::Next, 5, Depth::Indexed16}},
        {"PortivoEject", {Symbol::Eject, 6, Depth::Indexed16}},
        {"PortivoRestore", {Symbol::Full, 6, Depth::Indexed256}},
    };
    return table;
}

// A face with its symbol, keyed out against the background beneath the button.
QImage facePicture(const Place& place, const Face& face, const QImage& under) {
    const QSize size = place.picture;
    QImage art = canvas(size.width(), size.height());
    QRectF body(0, 0, size.width(), size.height());
    qreal radius = body.height() / 2;
    if (size.height() == 11) radius = 3;  // the compact view's small keys
    if (size.width() == 16) {             // to-tray and full-view: a round key of 14 pixels
        body = size.height() == 16 && place.button.height() == 16 ? QRectF(1, 1, 13, 13)
                                                                  : QRectF(1, 1, 14, 13);
        radius = body.width() == 13 ? 6.5 : 4;
    }
    QPainter p(&art);
    paintGel(p, body, radius, redGel());
    p.end();
    QRect box = body.toAlignedRect();
    // The gloss makes the upper half brighter; the symbol sits a hair high to look centred.
    box.adjust(0, 0, body.width() > 19 ? 1 : 0, -1);
    paintShape(art, symbolShape(face.symbol, face.size), box, kInk, kInkShadow);
    return keyOut(art, kMagenta, under, place.at());
}

// The window buttons' pictures are bare white glyphs: their plates are part of the background.
QImage glyph(std::initializer_list<const char*> rows, QRgb key) {
    const int w = int(qstrlen(*rows.begin())), h = int(rows.size());
    QImage image = canvas(w, h, key);
    pixelArt(image, 0, 0, rows, {{'#', kInk}});
    return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

void addButtonPictures(Pictures& out, const QImage& back, const QImage& strip) {
    for (const auto* places : {&kFullButtons, &kCompactButtons}) {
        const QImage& under = places == &kFullButtons ? back : strip;
        for (const Place& place : *places) {
            auto face = faces().find(place.name);
            if (face == faces().end()) continue;
            out.push_back(
                {place.name, facePicture(place, face->second, under), face->second.depth});
        }
    }
    // Compact view: a slim strip. The key is red here, so the glyph may not use red.
    out.push_back({"CorvinaPortivo",
                   glyph({"........", "########", "#......#", "########", "........"}, kKeyRed),
                   Depth::Indexed256});
    out.push_back({"CorvinaMinimize",
                   glyph({"........", "........", ".######.", ".######.", "........"}, kMagenta),
                   Depth::Indexed16});
    out.push_back({"CorvinaClose",
                   glyph({"##.....##", ".##...##.", "..##.##..", "...###...", "..##.##..",
                          ".##...##.", "##.....##", "........."},
                         kMagenta),
                   Depth::Indexed16});
}

}  // namespace skingen
