#include "resources/Skin.h"

namespace skin {

QImage picture(const QString& name) { return QImage(QStringLiteral(":/skin/") + name + ".png"); }

QIcon mainIcon() { return QIcon(QPixmap::fromImage(picture(QStringLiteral("MAINICON")))); }

QCursor cursor(const QString& name) {
    QImage image = picture(name);
    if (image.isNull()) return QCursor(Qt::ArrowCursor);
    return QCursor(QPixmap::fromImage(image));
}

}  // namespace skin
