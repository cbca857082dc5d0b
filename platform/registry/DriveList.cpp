#include "platform/registry/DriveList.h"

// Stand-ins until the drive branch lands.
namespace corvina {

void publishDriveBranch() {}
QStringList listCdDevices() { return {}; }
QString detectDriveRoot() { return {}; }

}  // namespace corvina
