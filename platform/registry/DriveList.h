#pragma once
// The CD drive list in the hardware branch HKEY_LOCAL_MACHINE\Enum\SCSI: model keys, instance
// keys below them, each instance with the string values CurrentDriveLetterAssignment and
// DeviceDesc. Keys enumerate in creation order; a missing value reads as "", a value of another
// type throws corvina::Error "Invalid data type for '%s'" (as the accessor does).
//
// UI thread only.
#include <QString>
#include <QStringList>

namespace corvina {

// Rewrites Enum\SCSI from the machine's drives (corvina::cd::DriveSet), in one write: one model
// key per description ("CdRom&Ven_VENDOR&Prod_MODEL"), in the order of its first drive (the
// default drive's first), one instance key per drive with its letter, so drives that are gone
// leave nothing behind. Run once at
// start, before the main window. A store that cannot be written is said on stderr and the
// branch stays as it was.
void publishDriveBranch();

// One entry "[" + letter + ":] - " + description per instance key, in registry order, with
// blanks and control characters (codes up to 32) dropped from both ends of the entry.
QStringList listCdDevices();

// The first character of the first instance's letter (itself trimmed as above) followed by ":"
// (":" alone for an empty letter); empty when the branch is missing or holds no instance.
QString detectDriveRoot();

}  // namespace corvina
