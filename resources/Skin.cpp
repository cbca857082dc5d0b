#include "resources/Skin.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPixmap>

// The generated resource lives in a static library: register it explicitly, since nothing
// else would pull its initialiser into the program.
static void registerSkin() {
    Q_INIT_RESOURCE(skin);
}

namespace skin {

namespace {

QString path(const QString& name) {
    return QStringLiteral(":/skin/") + name + ".png";
}

void ensureRegistered() {
    static const bool registered = (registerSkin(), true);
    (void)registered;
}

}  // namespace

QImage picture(const QString& name) {
    ensureRegistered();
    // Names are plain identifiers; anything else (a path, a wildcard) names no picture.
    if (name.isEmpty() || name.contains(QLatin1Char('/'))) return QImage();
    // Every picture is a PNG. Read as such, without format detection: detection first asks each
    // image-format plugin whether it reads PNG too, which loads all of them (and the SVG module)
    // into the player at start.
    // (A name the skin lacks would make the reader complain on the console: look first.)
    QImageReader reader(path(name), QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    return QFile::exists(reader.fileName()) ? reader.read() : QImage();
}

QStringList pictureNames() {
    ensureRegistered();
    QStringList names;
    for (const QString& file : QDir(QStringLiteral(":/skin")).entryList(QDir::Files, QDir::Name))
        names << file.chopped(4);
    return names;
}

QIcon mainIcon() {
    QIcon icon;
    for (const char* name : {"MAINICON16", "MAINICON"}) {
        const QImage image = picture(QString::fromLatin1(name));
        if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QCursor cursor(const QString& name) {
    const QImage image = picture(name);
    if (image.isNull()) return QCursor(Qt::ArrowCursor);
    // The hot spot travels with the picture as the text "HotSpot" ("x,y").
    const QStringList spot = image.text(QStringLiteral("HotSpot")).split(QLatin1Char(','));
    int x = -1, y = -1;
    if (spot.size() == 2) {
        bool okX = false, okY = false;
        x = spot[0].toInt(&okX);
        y = spot[1].toInt(&okY);
        if (!okX || !okY) x = y = -1;
    }
    return QCursor(QPixmap::fromImage(image), x, y);
}

}  // namespace skin
