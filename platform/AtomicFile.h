#pragma once
// Replacing a file so that a crash, a kill or a full disk leaves either the old file or the new
// one, never a torn or empty one: the bytes go to a temporary file in the same folder (one with
// no name until every byte is on disk, where the file system allows it), every write is
// checked, the file is synced and renamed over the old one, and the folder is synced so the
// rename holds. (A save that only learns of a full disk when it is closed would otherwise
// put an empty file in the old one's place and call it a success.)
//
// Any thread; the folder must exist.
#include <sys/types.h>

#include <QByteArray>
#include <QString>

namespace corvina {

// A path that is a symbolic link has the file it points at replaced, the link kept. An existing
// file keeps its permissions; a new one gets `newFileMode` (by default what the
// process's umask leaves of 0666). False when any step failed, with the system's reason in
// `error` if given; the temporary file is gone again and the old file untouched.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr,
                         mode_t newFileMode = mode_t(-1));

}  // namespace corvina
