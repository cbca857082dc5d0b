#pragma once
// Where the player looks for its user manual "Manual.chm", in order: the current directory
// (where it has always been looked for), the program's own folder, and the documentation folder
// of the prefix the program is installed in (<prefix>/share/doc/corvina/). A player started from
// the desktop's launcher runs in the home folder, so without the last two an installed manual
// would never be found.
#include <QString>
#include <QStringList>

namespace corvina {

QStringList manualCandidates(const QString& currentDir, const QString& programDir);

// The first candidate that is a file (readable or not), or an empty string.
QString findManual(const QString& currentDir, const QString& programDir);

}  // namespace corvina
