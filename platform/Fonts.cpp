#include "platform/Fonts.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <system_error>

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

QString packedSongFaceDir(const QString& programDir) {
    if (programDir.isEmpty()) return {};
    // Beside the program in a build tree; in its data folder when installed.
    for (const QString& dir : {programDir + QStringLiteral("/fonts"),
                               programDir + QStringLiteral("/../share/corvina/fonts")}) {
        const QFileInfo face(dir + QLatin1Char('/') + QLatin1String(kPackedSongFace));
        // The build leaves the face empty where it could not make one that draws alike.
        if (face.isFile() && face.size() > 0) return face.canonicalPath();
    }
    return {};
}

QByteArray fontConfiguration(QByteArray embedded, const QString& packedDir) {
    if (packedDir.isEmpty()) return embedded;
    const QByteArray dir = QFile::encodeName(packedDir.toHtmlEscaped());
    // The repacked face takes the place of the PCF strike it was made from; the family's other
    // sizes stay as they are.
    const QByteArray packed = "  <dir>" + dir +
                              "</dir>\n"
                              "  <selectfont><rejectfont><glob>*/wenquanyi_9pt.pcf*</glob>"
                              "</rejectfont></selectfont>\n";
    const qsizetype end = embedded.lastIndexOf("</fontconfig>");
    if (end < 0) return embedded;
    return embedded.insert(end, packed);
}

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
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    const QString programDir =
        error ? QString() : QFile::decodeName(program.parent_path().native().c_str());
    const QByteArray text = fontConfiguration(embedded.readAll(), packedSongFaceDir(programDir));
    if (!out.open(QIODevice::WriteOnly) || out.write(text) < 0) return;
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
