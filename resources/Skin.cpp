#include "resources/Skin.h"

#include <QPixmap>
#include <algorithm>
#include <cstring>

#include "resources/StoredPictures.h"

namespace skin {

namespace {

const stored::Picture* find(const QByteArray& name) {
    const stored::Picture* begin = stored::kPictures;
    const stored::Picture* end = begin + stored::kPictureCount;
    const auto at =
        std::lower_bound(begin, end, name, [](const stored::Picture& p, const QByteArray& n) {
            return std::strcmp(p.name, n.constData()) < 0;
        });
    return at != end && name == at->name ? at : nullptr;
}

}  // namespace

QImage picture(const QString& name) {
    // Names are plain identifiers; anything else (a path, a wildcard) names no picture.
    if (name.isEmpty() || name.contains(QLatin1Char('/'))) return QImage();
    const stored::Picture* p = find(name.toLatin1());
    if (!p) return QImage();
    // The image reads the compiled-in rows in place: nothing is decoded, and nothing is copied
    // until someone changes the picture.
    QImage image(p->pixels, p->width, p->height, p->bytesPerLine, QImage::Format(p->format));
    if (p->colors) image.setColorTable(QList<QRgb>(p->colors, p->colors + p->colorCount));
    for (const char* const* text = p->text; *text; text += 2)
        image.setText(QString::fromUtf8(text[0]), QString::fromUtf8(text[1]));
    return image;
}

QStringList pictureNames() {
    QStringList names;
    for (std::size_t i = 0; i < stored::kPictureCount; ++i)
        names << QString::fromLatin1(stored::kPictures[i].name);
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
