// The slider's two cursors: a pointing hand and a gripping hand, 32 x 32 with transparency. The
// hot spot travels with the picture as the PNG text "HotSpot" ("x,y").
#include "Canvas.h"
#include "Pictures.h"

namespace skingen {

namespace {

QImage cursorPicture(std::initializer_list<const char*> rows, QPoint art, QPoint hotSpot) {
    QImage image = canvas(32, 32);
    pixelArt(image, art.x(), art.y(), rows,
             {{'#', qRgba(0, 0, 0, 255)}, {'w', qRgba(255, 255, 255, 255)}});
    image.setText("HotSpot", QString("%1,%2").arg(hotSpot.x()).arg(hotSpot.y()));
    return image;
}

}  // namespace

void addCursors(Pictures& out) {
    out.push_back({"RX_HANDCUR",
                   cursorPicture({"......##.........", ".....#ww#........", ".....#ww#........",
                                  ".....#ww#........", ".....#ww#........", ".....#ww###......",
                                  ".....#ww#ww###...", ".....#ww#ww#ww##.", ".##..#ww#ww#ww#w#",
                                  "#ww#.#ww#ww#ww#w#", "#www##wwwwwwwwww#", ".#www#wwwwwwwwww#",
                                  "..#wwwwwwwwwwwww#", "..#wwwwwwwwwwwww#", "...#wwwwwwwwwwww#",
                                  "...#wwwwwwwwwww#.", "....#wwwwwwwwww#.", "....#wwwwwwwwww#.",
                                  ".....#wwwwwwww#..", ".....#wwwwwwww#..", ".....##########.."},
                                 QPoint(2, 0), QPoint(8, 0)),
                   Depth::Argb});
    out.push_back({"RX_DRAGCUR",
                   cursorPicture({".....##.##.##....", "....#ww#ww#ww##..", "....#ww#ww#ww#w#.",
                                  ".##.#ww#ww#ww#w#.", "#ww##wwwwwwwwwww#", "#wwww#wwwwwwwwww#",
                                  ".#wwwwwwwwwwwwww#", "..#wwwwwwwwwwwww#", "..#wwwwwwwwwwwww#",
                                  "...#wwwwwwwwwww#.", "....#wwwwwwwwww#.", "....#wwwwwwwwww#.",
                                  ".....##########.."},
                                 QPoint(2, 4), QPoint(10, 10)),
                   Depth::Argb});
}

}  // namespace skingen
