#pragma once
// Two tiny bitmap fonts for the captions engraved in the skin: 3 x 5 and 5 x 7 capitals.
#include <QImage>
#include <QString>

namespace skingen {

enum class PixelFont { Small, Large };

int textWidth(PixelFont font, const QString& text);
// Draws `text` with its top-left corner at (x, y); unknown characters leave a gap.
void drawText(QImage& image, PixelFont font, int x, int y, const QString& text, QRgb ink);

}  // namespace skingen
