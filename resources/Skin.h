#pragma once
// The player's pictures, icons and cursors, compiled into the binary.
//
// Every picture is looked up by the name of the control (or resource) that shows it, e.g.
// "ImageBack", "ImagePortivo", "CorvinaPlay", "PortivoEject", "IconPlaying", "LCDDigits",
// "MenuIcon", "PortivoIcon", "VolumeThumb", "VolumeRuler", "W95_HTB", "MAINICON".
// The images keep their colour depth: 4-bit and 8-bit pictures come back as indexed images.
#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QString>

namespace skin {

// The named picture; a null image when there is no picture of that name.
QImage picture(const QString& name);

// The application icon (16 x 16 and 32 x 32).
QIcon mainIcon();

// The named cursor ("RX_HANDCUR", "RX_DRAGCUR"); the arrow cursor when unknown.
QCursor cursor(const QString& name);

}  // namespace skin
