#include "app/HelpFiles.h"

#include <QDir>
#include <QFileInfo>

namespace corvina {

QStringList manualCandidates(const QString& currentDir, const QString& programDir) {
    const QString name = QStringLiteral("Manual.chm");
    const QDir program(programDir);
    return {QDir(currentDir).absoluteFilePath(name), program.absoluteFilePath(name),
            QDir::cleanPath(program.absoluteFilePath(QStringLiteral("../share/doc/corvina/") + name))};
}

QString findManual(const QString& currentDir, const QString& programDir) {
    for (const QString& candidate : manualCandidates(currentDir, programDir))
        if (QFileInfo(candidate).isFile()) return candidate;
    return {};
}

}  // namespace corvina
