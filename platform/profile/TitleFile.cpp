#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/profile/IniFile.h"

namespace corvina {

namespace {

const QString kTitleFile = QStringLiteral("CorvinaCD.ini");

bool writable(const QString& path) {
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

}  // namespace

QString discTitleFilePath(const QString& programDir, const QString& userDataDir) {
    const QString beside = QDir(programDir).filePath(kTitleFile);
    const bool besideExists = QFileInfo::exists(beside);
    if (writable(programDir) && (!besideExists || writable(beside))) return beside;

    // A system-wide install: the user's own copy lives in the per-user data folder. A title
    // file that came with the install is read as it stands until the user first saves names;
    // that save copies it, so no name from it is lost and nothing is copied that is never
    // changed (later updates of the shared file still reach users who never saved).
    const QString own = QDir(userDataDir).filePath(QStringLiteral("Corvina/") + kTitleFile);
    if (besideExists && !QFileInfo::exists(own)) {
        redirectProfileWrites(beside, own);
        return beside;
    }
    return own;
}

QString discTitleFilePath() {
    // Tests and scripted runs keep their titles out of the program's folder.
    const QString chosen = qEnvironmentVariable("CORVINA_TITLE_FILE");
    if (!chosen.isEmpty()) return chosen;
    return discTitleFilePath(QCoreApplication::applicationDirPath(),
                             QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

}  // namespace corvina
