// The small pictures of the displays: play-state, disc and mute icons, the LCD digit strip, the
// volume bar's thumb and ruler, the slider's built-in pictures and the menu's title strip.
#include <QPainter>

#include "Canvas.h"
#include "Pictures.h"

namespace skingen {

namespace {

// The LCD red: RGB 226,0,0 in the top row of a digit to 255,103,103 in its bottom row (13 rows).
QRgb lcdRow(int row) {
    const QColor c = mix(QColor(226, 0, 0), QColor(255, 103, 103), row / 12.0);
    return c.rgb();
}

// Seven segments, a to g; bit 0 is a.
enum : unsigned { A = 1, B = 2, C = 4, D = 8, E = 16, F = 32, G = 64 };
constexpr unsigned kDigits[10] = {
    A | B | C | D | E | F, B | C,         A | B | G | E | D,
    A | B | G | C | D,     F | G | B | C, A | F | G | C | D,
    A | F | G | E | C | D, A | B | C,     A | B | C | D | E | F | G,
    A | B | C | D | F | G,
};

void digit(QImage& strip, int cell, unsigned segments) {
    const int x0 = cell * 9;
    auto set = [&](int x, int y) { strip.setPixel(x0 + x, y, lcdRow(y)); };
    for (int x = 1; x <= 7; ++x) {
        if (segments & A) set(x, 0);
        if (segments & G) set(x, 6);
        if (segments & D) set(x, 12);
    }
    for (int y = 1; y <= 5; ++y) {
        if (segments & F) set(0, y);
        if (segments & B) set(8, y);
    }
    for (int y = 7; y <= 11; ++y) {
        if (segments & E) set(0, y);
        if (segments & C) set(8, y);
    }
}

QImage lcdDigits() {
    QImage strip = canvas(99, 13, qRgb(0, 0, 0));
    for (int d = 0; d < 10; ++d) digit(strip, d, kDigits[d]);
    digit(strip, 10, kDigits[0]);  // padding shows as a leading zero
    return strip;
}

// An icon lit in the LCD red, shaded row by row from `firstRow` of the digits' gradient.
QImage lcdIcon(std::initializer_list<const char*> rows, int firstRow) {
    const int w = int(qstrlen(*rows.begin())), h = int(rows.size());
    QImage image = canvas(w, h, qRgb(0, 0, 0));
    int r = 0;
    for (const char* line : rows) {
        pixelArt(image, 0, r, {line},
                 {{'#', lcdRow(std::min(12, firstRow + r))}, {'o', qRgb(120, 10, 10)}});
        ++r;
    }
    return image;
}

QImage volumeThumb() {
    QImage image = canvas(5, 6, qRgb(0, 0, 0));
    pixelArt(image, 0, 0, {".hhh.", "hRRRR", "RRRRR", "RRRRR", ".RRR.", "....."},
             {{'h', qRgb(255, 150, 150)}, {'R', qRgb(255, 0, 0)}});
    return image;
}

QImage volumeRuler() {
    QImage image = canvas(12, 4, qRgb(0, 0, 0));
    QPainter p(&image);
    p.fillRect(0, 1, 12, 1, QColor(255, 0, 0));
    p.fillRect(0, 2, 12, 1, QColor(128, 0, 0));
    return image;
}

// The slider's own look when a program gives it no pictures: a grey pointer thumb (normal and
// held, side by side) and a sunken groove.
const QRgb kW = qRgb(255, 255, 255), kFace = qRgb(192, 192, 192), kDark = qRgb(128, 128, 128),
           kBlack = qRgb(0, 0, 0);

QImage sliderThumb(bool vertical) {
    const int len = 15, tip = 5, across = 11;  // body length, point length, thickness
    QImage image = canvas(2 * (len + tip), across + 1, kMagenta);
    for (int state = 0; state < 2; ++state) {
        const int x0 = state * (len + tip);
        auto put = [&](int along, int a, QRgb c) { image.setPixel(x0 + along, a, c); };
        for (int i = 0; i < len + tip; ++i) {
            const int inset = i < len ? 0 : i - len + 1;  // the point narrows
            for (int a = inset; a < across - inset; ++a) {
                QRgb c = state == 1 && ((i + a) & 1) ? kW : kFace;
                if (a == inset) c = kW;
                if (a == across - 1 - inset) c = kBlack;
                if (a == across - 2 - inset && i > 0) c = kDark;
                if (i == 0) c = a == across - 1 ? kBlack : kW;
                if (i == len + tip - 1) c = kBlack;
                put(i, a, c);
            }
        }
    }
    if (!vertical) {
        // Horizontal: the thumb stands upright with its point down; each state is 11 x 20.
        QImage upright = canvas(2 * across, len + tip, kMagenta);
        for (int s = 0; s < 2; ++s)
            for (int i = 0; i < len + tip; ++i)
                for (int a = 0; a < across; ++a)
                    upright.setPixel(s * across + a, i, image.pixel(s * (len + tip) + i, a));
        return upright;
    }
    return image;
}

QImage sliderRuler(bool vertical) {
    const QRgb lines[] = {kMagenta, kDark, kBlack, kFace, kW};
    QImage image = vertical ? canvas(5, 12) : canvas(12, 5);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 12; ++j) {
            if (vertical)
                image.setPixel(i, j, lines[i]);
            else
                image.setPixel(j, i, lines[(i + 1) % 5]);  // key row at the bottom
        }
    return image;
}

QImage menuTitle() {
    QImage image = canvas(5, 300);
    const QRgb row[5] = {qRgb(255, 120, 120), qRgb(255, 33, 33), qRgb(255, 33, 33),
                         qRgb(255, 33, 33), qRgb(255, 102, 102)};
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 5; ++x) image.setPixel(x, y, row[x]);
    return image;
}

}  // namespace

void addDisplayPictures(Pictures& out) {
    // The play-state icons sit level with the top rows of the digits and share their shading.
    out.push_back({"IconPlaying",
                   lcdIcon({"..#.....", "..##....", "..###...", "..####..", "..###...", "..##....",
                            "..#....."},
                           0),
                   Depth::Indexed16});
    out.push_back({"IconPaused",
                   lcdIcon({".##..##.", ".##..##.", ".##..##.", ".##..##.", ".##..##.", ".##..##.",
                            ".##..##."},
                           0),
                   Depth::Indexed16});
    out.push_back({"IconStopped",
                   lcdIcon({"........", ".######.", ".######.", ".######.", ".######.", ".######.",
                            ".######."},
                           0),
                   Depth::Indexed16});
    out.push_back(
        {"IconDisc",
         lcdIcon({"..####..", ".######.", "###..###", "###..###", ".######.", "..####.."}, 6),
         Depth::Indexed16});
    out.push_back(
        {"IconMuteFalse",
         lcdIcon({"..##...#..", "####.#..#.", "####.#..#.", "####.#..#.", "..##...#.."}, 7),
         Depth::Indexed16});
    out.push_back(
        {"IconMuteTrue",
         lcdIcon({"..##.#...#", "####..#.#.", "####...#..", "####..#.#.", "..##.#...#"}, 7),
         Depth::Indexed16});
    out.push_back({"LCDDigits", lcdDigits(), Depth::Rgb24});
    out.push_back({"VolumeThumb", volumeThumb(), Depth::Rgb24});
    out.push_back({"VolumeRuler", volumeRuler(), Depth::Rgb24});
    out.push_back({"W95_HTB", sliderThumb(false), Depth::Indexed16});
    out.push_back({"W95_VTB", sliderThumb(true), Depth::Indexed16});
    out.push_back({"W95_HRL", sliderRuler(false), Depth::Indexed16});
    out.push_back({"W95_VRL", sliderRuler(true), Depth::Indexed16});
    out.push_back({"MenuTitle", menuTitle(), Depth::Rgb24});
}

}  // namespace skingen
