#pragma once
// The player's fonts. Its windows ask for Windows faces: "宋体" (SimSun) at 12 pixels and
// "MS Sans Serif". Here they become crisp, unsmoothed faces of the same size:
//   "宋体", "SimSun"  -> "WenQuanYi Bitmap Song" (a 12-pixel bitmap Song face), else "AR PL UMing
//                        CN"; on a high-density screen (device pixel ratio above 1) the outline
//                        face first, drawn at full size where the bitmap face has no strike
//   "MS Sans Serif"   -> "DejaVu Sans Condensed", one pixel smaller, hinted, not anti-aliased
// The mapping lives in the program (a fontconfig file compiled in, plus Qt substitutions), so it
// does not depend on how the machine's font configuration is set up.
#include <QFont>
#include <QString>

namespace corvina {

// Before the application object exists: puts the player's fontconfig set-up in force.
void prepareFontConfiguration();

// After the application object exists: installs the face substitutions and the application's
// default font ("宋体", 12 pixels).
void installFontSubstitutions();

// The font for a Windows font request: `height` as stored in form data (negative: character
// height in pixels; positive: cell height, treated alike here).
QFont windowsFont(const QString& face, int height);

}  // namespace corvina
