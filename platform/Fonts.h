#pragma once
// The player's fonts. Its windows ask for Windows faces: "宋体" (SimSun) at 12 pixels and
// "MS Sans Serif". Here they become crisp, unsmoothed faces of the same size:
//   "宋体", "SimSun"  -> "WenQuanYi Bitmap Song" (a 12-pixel bitmap Song face), else "AR PL UMing
//                        CN"; on a high-density screen (device pixel ratio above 1) the outline
//                        face first, drawn at full size where the bitmap face has no strike
//   "MS Sans Serif"   -> "DejaVu Sans Condensed", one pixel smaller, hinted, not anti-aliased
// The 12-pixel Song face is drawn from a repack of the same bitmaps as an OpenType bitmap font
// when the build made one (fonts/song-12px.otb beside the program, or share/corvina/fonts when
// installed): FreeType reads a PCF font's metrics for every glyph into memory at open, an
// OpenType one only a small index. The build proves it draws exactly as the PCF font.
// The mapping lives in the program (a fontconfig file compiled in, plus Qt substitutions), so it
// does not depend on how the machine's font configuration is set up.
#include <QByteArray>
#include <QFont>
#include <QString>

namespace corvina {

inline constexpr char kPackedSongFace[] = "song-12px.otb";

// Before the application object exists: puts the player's fontconfig set-up in force.
void prepareFontConfiguration();

// The folder holding the repacked Song face for a program in `programDir`, or empty.
QString packedSongFaceDir(const QString& programDir);

// The fontconfig file: the compiled-in one, with the repacked Song face from `packedDir` (when
// not empty) put in the place of the PCF face it was made from.
QByteArray fontConfiguration(QByteArray embedded, const QString& packedDir);

// After the application object exists: installs the face substitutions and the application's
// default font ("宋体", 12 pixels).
void installFontSubstitutions();

// The font for a Windows font request: `height` as stored in form data (negative: character
// height in pixels; positive: cell height, treated alike here).
QFont windowsFont(const QString& face, int height);

}  // namespace corvina
