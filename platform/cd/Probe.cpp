#include "platform/cd/Probe.h"

#include <QFile>
#include <algorithm>
#include <cstdlib>

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
    // The real drives, one holding a disc first. An empty real drive still beats the demo disc:
    // its owner is about to insert a disc and expects the player to be watching that drive.
    // Only a machine without a CD drive gets the demo disc.
    std::vector<std::unique_ptr<CdioDrive>> real = CdioDrive::probeAll();
    auto loaded = std::find_if(real.begin(), real.end(), [](auto& d) { return d->hasDiscNow(); });
    if (loaded != real.end()) std::rotate(real.begin(), loaded, loaded + 1);
    if (real.empty()) drives.push_back(VirtualDrive::withDemoDisc());
    for (auto& drive : real) drives.push_back(std::move(drive));
    return drives;
}

}  // namespace corvina::cd
