#include "platform/cd/RememberedDisc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "platform/AtomicFile.h"
#include "platform/registry/RegStore.h"

namespace corvina::cd {
namespace {

constexpr qint64 kLongestPath = 64 * 1024;

}  // namespace

QString rememberedDiscFile() {
    return registry::storeFolder() + QStringLiteral("/VirtualDisc");
}

std::optional<QString> rememberedDisc(QString& problem) {
    problem.clear();
    const QString name = rememberedDiscFile();
    QFile file(name);
    if (!file.exists()) return std::nullopt;
    if (QFileInfo(name).isDir() || !file.open(QIODevice::ReadOnly)) {
        problem = QStringLiteral("%1 cannot be read").arg(QDir::toNativeSeparators(name));
        return std::nullopt;
    }
    const QByteArray bytes = file.read(kLongestPath + 1);
    // Made in the moment before a power cut, the file may come back empty: nothing remembered.
    if (bytes.isEmpty()) return std::nullopt;
    const QString path = QString::fromUtf8(bytes).section(QLatin1Char('\n'), 0, 0).trimmed();
    if (bytes.size() > kLongestPath || path.isEmpty() || QDir::isRelativePath(path) ||
        path.contains(QChar::ReplacementCharacter)) {
        problem = QStringLiteral("%1 holds no path of a rip").arg(name);
        return std::nullopt;
    }
    return path;
}

bool rememberDisc(const QString& path) {
    const QString name = rememberedDiscFile();
    if (path.isEmpty()) return !QFile::exists(name) || QFile::remove(name);
    const QByteArray bytes = path.toUtf8() + '\n';
    // Every start with a rip remembers it; most starts, the same one.
    QFile current(name);
    if (current.open(QIODevice::ReadOnly) && current.size() == bytes.size() &&
        current.readAll() == bytes)
        return true;
    QDir().mkpath(registry::storeFolder());
    QString reason;
    if (writeFileAtomically(name, bytes, &reason, mode_t(-1), Durability::Replacing)) return true;
    std::fprintf(stderr, "Corvina: cannot remember the rip in %s: %s\n",
                 QFile::encodeName(name).constData(), reason.toLocal8Bit().constData());
    return false;
}

}  // namespace corvina::cd
