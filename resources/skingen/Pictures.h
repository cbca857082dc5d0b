#pragma once
// The skin generator: every picture of the player is painted here from code, then reduced to the
// colour depth the player expects and written out as PNG for the resource compiler.
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <vector>

namespace skingen {

// How a picture is stored: 16 or 256 palette entries, true colour, or true colour with alpha
// (cursors only).
enum class Depth { Indexed16, Indexed256, Rgb24, Argb };

struct Picture {
    QString name;
    QImage image;  // painted in ARGB32; reduced to `depth` when written
    Depth depth;
};
using Pictures = std::vector<Picture>;

// Key colours: every pixel of exactly this colour is left out when a button is drawn.
inline constexpr QRgb kMagenta = 0xFFFF00FF;
inline constexpr QRgb kKeyRed = 0xFFFF0000;

// Where the main window's controls sit, in window coordinates; the background pictures draw
// their fields around these, and the buttons blend their edges into what lies beneath.
struct Place {
    const char* name;
    QRect button;   // the control's rectangle
    QSize picture;  // the size of its picture; drawn at the button's centre
    QPoint at() const {
        return button.topLeft() + QPoint((button.width() - picture.width()) / 2,
                                         (button.height() - picture.height()) / 2);
    }
};
extern const std::vector<Place> kFullButtons;     // on ImageBack
extern const std::vector<Place> kCompactButtons;  // on ImagePortivo

// Painting steps, in the order they run (the buttons need the finished backgrounds).
void addWindowPictures(Pictures& out);  // ImageBack, ImagePortivo
void addButtonPictures(Pictures& out, const QImage& back, const QImage& strip);
void addDisplayPictures(Pictures& out);  // state icons, LCD strip, volume bar, slider, title strip
void addCursors(Pictures& out);
void addMenuPictures(Pictures& out);
void addArtwork(Pictures& out);  // icons, splash, About side picture

// The full and compact views composed from the pictures, with sample values in the displays.
void writePreview(const Pictures& pictures, const QString& folder);

const Picture& find(const Pictures& pictures, const QString& name);

}  // namespace skingen
