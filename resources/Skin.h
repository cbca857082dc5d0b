#pragma once
// The player's pictures, icons and cursors, compiled into the binary.
//
// Every picture is looked up by the name of the control (or resource) that shows it, e.g.
// "ImageBack", "ImagePortivo", "CorvinaPlay", "PortivoEject", "IconPlaying", "LCDDigits",
// "VolumeThumb", "VolumeRuler", "W95_HTB", "MenuTitle", "MenuPlay", "TrayIcon", "MAINICON",
// "Splash", "AboutSide". "MenuIcon" and "PortivoIcon" have no picture of their own: the menu
// symbol is part of "ImageBack" and "ImagePortivo".
//
// The images keep their colour depth: 4-bit and 8-bit pictures come back as indexed images
// (Format_Indexed8 with at most 16 or 256 colours), 24-bit ones as Format_RGB32. Button and
// menu item pictures carry their key colour in their bottom-left pixel (magenta RGB 255,0,255;
// red RGB 255,0,0 for "CorvinaPortivo"); no other pixel comes near it. Icons ("MAINICON",
// "MAINICON16", "TrayIcon", "AudioCD", "CdaFile") have a transparent background instead.
//
// Call these from the GUI thread once the application object exists.
#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QString>
#include <QStringList>

namespace skin {

// The named picture; a null image when there is no picture of that name.
QImage picture(const QString& name);

// The names of every picture the skin carries, sorted.
QStringList pictureNames();

// The application icon (16 x 16 and 32 x 32).
QIcon mainIcon();

// The named cursor ("RX_HANDCUR", "RX_DRAGCUR") with its hot spot; the arrow cursor when unknown.
QCursor cursor(const QString& name);

}  // namespace skin
