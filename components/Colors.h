#pragma once
// Windows colour values (0x00BBGGRR) as the stored form data gives them, and their conversion to
// QColor for painting.
//
// A value whose top byte is 0x80 names a system colour by index; it is resolved through the
// application palette at the moment of conversion, so a palette change shows at the next paint.
// The palette-relative flag 0x02000000 is ignored when drawing. `clNone` converts to an invalid
// QColor (nothing is drawn). UI thread only (the application palette is read).
#include <QColor>
#include <QImage>
#include <QtGlobal>

inline constexpr quint32 clBlack = 0x000000;
inline constexpr quint32 clMaroon = 0x000080;
inline constexpr quint32 clGreen = 0x008000;
inline constexpr quint32 clRed = 0x0000FF;
inline constexpr quint32 clLime = 0x00FF00;
inline constexpr quint32 clBlue = 0xFF0000;
inline constexpr quint32 clFuchsia = 0xFF00FF;
inline constexpr quint32 clWhite = 0xFFFFFF;
inline constexpr quint32 clNone = 0x1FFFFFFF;

// System colours (index in the low byte).
inline constexpr quint32 clWindow = 0x80000005;
inline constexpr quint32 clWindowText = 0x80000008;
inline constexpr quint32 clBtnFace = 0x8000000F;
inline constexpr quint32 clBtnShadow = 0x80000010;
inline constexpr quint32 clBtnText = 0x80000012;
inline constexpr quint32 clBtnHighlight = 0x80000014;

// The flag that marks a palette-relative colour.
inline constexpr quint32 PaletteRelativeFlag = 0x02000000;

namespace corvina {

// The colour to paint with; system colours come from the application palette.
QColor colorFromWin(quint32 value);

// The Windows value of an RGB colour (alpha is dropped).
quint32 winFromColor(const QColor& color);

// The key (transparent) colour of a picture: the colour of its bottom-left pixel, or white for a
// one-bit picture; black for an empty picture. Alpha is forced to opaque.
QRgb keyColorOf(const QImage& picture);

}  // namespace corvina
