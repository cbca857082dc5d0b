// Generates every picture of the skin into a folder, with the resource list that compiles them
// into the player:  corvina_skingen OUTDIR [--preview DIR]
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

#include "Canvas.h"
#include "Pictures.h"

namespace skingen {

const Picture& find(const Pictures& pictures, const QString& name) {
    for (const Picture& p : pictures)
        if (p.name == name) return p;
    std::fprintf(stderr, "skingen: no picture %s\n", qPrintable(name));
    std::exit(1);
}

namespace {

QImage stored(const Picture& picture) {
    switch (picture.depth) {
        case Depth::Indexed16:
            return reduce(picture.image, 16);
        case Depth::Indexed256:
            return reduce(picture.image, 256, picture.image.width() > 64);
        case Depth::Rgb24:
            return picture.image.convertToFormat(QImage::Format_RGB32);
        case Depth::Argb:
            return picture.image.convertToFormat(QImage::Format_ARGB32);
    }
    return {};
}

bool writeAll(const Pictures& pictures, const QString& folder) {
    QFile list(folder + "/skin.qrc");
    if (!list.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QTextStream qrc(&list);
    qrc << "<RCC>\n  <qresource prefix=\"/skin\">\n";
    for (const Picture& p : pictures) {
        const QString file = p.name + ".png";
        if (!p.image.save(folder + "/" + file, "PNG")) {
            std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(file));
            return false;
        }
        qrc << "    <file>" << file << "</file>\n";
    }
    qrc << "  </qresource>\n</RCC>\n";
    return true;
}

}  // namespace

}  // namespace skingen

int main(int argc, char** argv) {
    using namespace skingen;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform wants a private runtime folder; build machines often have none.
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 && !(args.size() == 4 && args[2] == "--preview")) {
        std::fprintf(stderr, "usage: corvina_skingen OUTDIR [--preview DIR]\n");
        return 2;
    }
    QDir().mkpath(args[1]);

    Pictures painted;
    addWindowPictures(painted);
    // Copies: the list grows while the buttons are painted.
    const QImage back = find(painted, "ImageBack").image;
    const QImage strip = find(painted, "ImagePortivo").image;
    addButtonPictures(painted, back, strip);
    addDisplayPictures(painted);
    addCursors(painted);
    addMenuPictures(painted);
    addArtwork(painted);

    Pictures pictures;
    for (const Picture& p : painted) pictures.push_back({p.name, stored(p), p.depth});
    if (!writeAll(pictures, args[1])) return 1;
    if (args.size() == 4) writePreview(pictures, args[3]);
    return 0;
}
