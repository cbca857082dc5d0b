#include "platform/Fonts.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdlib>

namespace corvina {
namespace {

const QString kSongBitmap = QStringLiteral("WenQuanYi Bitmap Song");
const QString kSongOutline = QStringLiteral("AR PL UMing CN");
const QString kSans = QStringLiteral("DejaVu Sans Condensed");

bool isSongFace(const QString& face) {
    return face == QStringLiteral("宋体") ||
           face.compare(QStringLiteral("SimSun"), Qt::CaseInsensitive) == 0;
}

// On a high-density screen (device pixel ratio above 1) the 12-pixel bitmap Song face has no
// strike of the size asked for, and Qt would draw its 12-pixel glyphs spaced out at twice the
// pitch; the outline face is drawn at full size there.
QStringList songFamilies() {
    const bool dense = qGuiApp && qGuiApp->devicePixelRatio() > 1.0;
    return dense ? QStringList{kSongOutline, kSongBitmap} : QStringList{kSongBitmap, kSongOutline};
}

bool isSansFace(const QString& face) {
    return face.compare(QStringLiteral("MS Sans Serif"), Qt::CaseInsensitive) == 0;
}

}  // namespace

void prepareFontConfiguration() {
    // A user who points fontconfig elsewhere on purpose keeps that choice.
    if (std::getenv("FONTCONFIG_FILE")) return;
    QFile embedded(QStringLiteral(":/fonts/fonts.conf"));
    if (!embedded.open(QIODevice::ReadOnly)) return;
    // fontconfig reads the file at start and again when it rescans, so it lives as long as we do.
    static QTemporaryDir dir;
    if (!dir.isValid()) return;
    const QString path = dir.filePath(QStringLiteral("fonts.conf"));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(embedded.readAll()) < 0) return;
    out.close();
    setenv("FONTCONFIG_FILE", QFile::encodeName(path).constData(), 1);
}

void installFontSubstitutions() {
    for (const QString& face : {QStringLiteral("宋体"), QStringLiteral("SimSun")})
        QFont::insertSubstitutions(face, songFamilies());
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), kSans);
    QGuiApplication::setFont(windowsFont(QStringLiteral("宋体"), -12));
}

QFont windowsFont(const QString& face, int height) {
    const int pixels = height < 0 ? -height : height;
    QFont font;
    if (isSongFace(face)) {
        font.setFamilies(songFamilies());
        font.setPixelSize(pixels);
    } else if (isSansFace(face)) {
        // The forms were laid out for a narrow bitmap sans: at one pixel less the condensed face
        // fits the same boxes ("00:00/00:00" in 57 of its label's 59 pixels).
        font.setFamily(kSans);
        font.setPixelSize(pixels > 1 ? pixels - 1 : pixels);
    } else {
        font.setFamily(face);
        font.setPixelSize(pixels);
    }
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

}  // namespace corvina
