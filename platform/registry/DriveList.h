#pragma once
// The CD drive list in the hardware branch HKEY_LOCAL_MACHINE\Enum\SCSI: model keys, instance
// keys below them, each instance with the string values CurrentDriveLetterAssignment and
// DeviceDesc.
//
// UI thread only.
#include <QString>
#include <QStringList>

namespace corvina {

// Rewrites Enum\SCSI from the machine's drives (corvina::cd::DriveSet): one model key per
// description, one instance key per drive. Run once at start, before the main window.
void publishDriveBranch();

// One entry "[" + letter + ":] - " + description per instance key, trimmed, in registry order.
QStringList listCdDevices();

// The first instance's letter followed by ":" (":" alone for an empty letter); empty when the
// branch is missing or holds no instance.
QString detectDriveRoot();

}  // namespace corvina
