#include "platform/profile/IniFile.h"

#include <QCoreApplication>
#include <QDir>

// Stand-in until the profile files land: every read gives the default, writes go nowhere.
namespace corvina {

TIniFile::TIniFile(const QString& fileName) : fileName_(fileName) {}

QString TIniFile::readString(const QString&, const QString&, const QString& def) const {
    return def;
}

void TIniFile::writeString(const QString&, const QString&, const QString&) {}

QString discTitleFilePath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("CorvinaCD.ini"));
}

}  // namespace corvina
