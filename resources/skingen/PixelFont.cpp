#include "PixelFont.h"

#include <map>
#include <vector>

namespace skingen {

namespace {

using Glyph = std::vector<const char*>;

const std::map<QChar, Glyph>& small() {
    static const std::map<QChar, Glyph> glyphs{
        {'A', {".#.", "#.#", "###", "#.#", "#.#"}},
        {'C', {".##", "#..", "#..", "#..", ".##"}},
        {'D', {"##.", "#.#", "#.#", "#.#", "##."}},
        {'E', {"###", "#..", "##.", "#..", "###"}},
        {'I', {"###", ".#.", ".#.", ".#.", "###"}},
        {'K', {"#.#", "#.#", "##.", "#.#", "#.#"}},
        {'L', {"#..", "#..", "#..", "#..", "###"}},
        {'M', {"#...#", "##.##", "#.#.#", "#...#", "#...#"}},
        {'N', {"##.", "#.#", "#.#", "#.#", "#.#"}},
        {'O', {".#.", "#.#", "#.#", "#.#", ".#."}},
        {'P', {"##.", "#.#", "##.", "#..", "#.."}},
        {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
        {'S', {".##", "#..", ".#.", "..#", "##."}},
        {'T', {"###", ".#.", ".#.", ".#.", ".#."}},
        {'V', {"#.#", "#.#", "#.#", "#.#", ".#."}},
        {'Y', {"#.#", "#.#", ".#.", ".#.", ".#."}},
    };
    return glyphs;
}

const std::map<QChar, Glyph>& large() {
    static const std::map<QChar, Glyph> glyphs{
        {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
        {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
        {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
        {'I', {"###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"}},
        {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
        {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
        {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
        {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    };
    return glyphs;
}

const std::map<QChar, Glyph>& glyphsOf(PixelFont font) {
    return font == PixelFont::Small ? small() : large();
}

int advance(PixelFont font, QChar c) {
    const auto& glyphs = glyphsOf(font);
    auto g = glyphs.find(c);
    const int blank = font == PixelFont::Small ? 2 : 3;
    return (g == glyphs.end() ? blank : int(qstrlen(g->second.front()))) + 1;
}

}  // namespace

int textWidth(PixelFont font, const QString& text) {
    int w = 0;
    for (QChar c : text) w += advance(font, c);
    return text.isEmpty() ? 0 : w - 1;
}

void drawText(QImage& image, PixelFont font, int x, int y, const QString& text, QRgb ink) {
    const auto& glyphs = glyphsOf(font);
    for (QChar c : text) {
        auto g = glyphs.find(c);
        if (g != glyphs.end()) {
            for (int row = 0; row < int(g->second.size()); ++row)
                for (int col = 0; g->second[size_t(row)][col] != '\0'; ++col)
                    if (g->second[size_t(row)][col] == '#' &&
                        image.rect().contains(x + col, y + row))
                        image.setPixel(x + col, y + row, ink);
        }
        x += advance(font, c);
    }
}

}  // namespace skingen
