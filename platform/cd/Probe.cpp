// Which drives the player has, decided once at start (see DriveSet.h).
#include <QFile>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/cd/CdioDrive.h"
#include "platform/cd/VirtualDrive.h"

namespace corvina::cd {

std::vector<std::unique_ptr<Drive>> probeDrives() {
    std::vector<std::unique_ptr<Drive>> drives;
    if (const char* disc = std::getenv("CORVINA_DISC")) {
        if (*disc) {
            drives.push_back(VirtualDrive::forPath(QFile::decodeName(disc)));
        } else {
            drives.push_back(
                std::make_unique<VirtualDrive>(QStringLiteral("CORVINA VIRTUAL DRIVE"), nullptr));
        }
        return drives;
    }
    // A drive with a disc in it comes first; when no drive holds one, the demo disc does, so
    // that a plain start has something to play.
    std::vector<std::unique_ptr<CdioDrive>> real = CdioDrive::probeAll();
    auto loaded = std::find_if(real.begin(), real.end(), [](auto& d) { return d->hasDiscNow(); });
    if (loaded != real.end()) std::rotate(real.begin(), loaded, loaded + 1);
    if (loaded == real.end()) drives.push_back(VirtualDrive::withDemoDisc());
    for (auto& drive : real) drives.push_back(std::move(drive));
    return drives;
}

}  // namespace corvina::cd
