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

// How hard a write works to outlast a power cut. `Always` syncs the file before the rename and
// the folder after it. `Replacing` does so only when a file is replaced: with no file there yet,
// nothing on disk can be lost, and the syncs (each a wait for the disk, several a start on a
// first start) buy only that the new file outlasts a power cut in the seconds after it was made.
// A file made in that moment may come back empty, which its reader takes as no file. For files
// the player makes again when they are missing (the settings stores, the remembered rip); what
// the user typed (the disc titles) is always synced.
enum class Durability { Always, Replacing };

// A path that is a symbolic link has the file it points at replaced, the link kept. An existing
// file keeps its permissions; a new one gets `newFileMode` (by default what the
// process's umask leaves of 0666). False when any step failed, with the system's reason in
// `error` if given; the temporary file is gone again and the old file untouched.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr,
                         mode_t newFileMode = mode_t(-1),
                         Durability durability = Durability::Always);

}  // namespace corvina
