#include "platform/cd/DriveSet.h"

#include <algorithm>

#include "platform/cd/Probe.h"
#include "platform/cd/VirtualDrive.h"

namespace corvina::cd {

DriveSet& DriveSet::storage() {
    static DriveSet set;
    return set;
}

DriveSet& DriveSet::instance() {
    DriveSet& set = storage();
    if (!set.probed_) {
        set.probed_ = true;
        set.assign(probeDrives());
    }
    return set;
}

void DriveSet::install(std::vector<std::unique_ptr<Drive>> drives) {
    DriveSet& set = storage();
    set.probed_ = true;
    set.assign(std::move(drives));
}

void DriveSet::assign(std::vector<std::unique_ptr<Drive>> drives) {
    drives_.clear();
    char16_t letter = u'D';
    for (auto& drive : drives) drives_.push_back({QChar(letter++), std::move(drive)});
}

Drive* DriveSet::byRoot(const QString& root) const {
    if (root.isEmpty()) return nullptr;
    const QChar letter = root.front().toUpper();
    for (const auto& slot : drives_)
        if (slot.letter == letter) return slot.drive.get();
    return nullptr;
}

VirtualDrive* DriveSet::virtualDrive() const {
    for (const auto& slot : drives_)
        if (auto* drive = dynamic_cast<VirtualDrive*>(slot.drive.get())) return drive;
    return nullptr;
}

void DriveSet::makeDefault(Drive* drive) {
    auto slot = std::find_if(drives_.begin(), drives_.end(),
                             [&](const DriveSlot& s) { return s.drive.get() == drive; });
    if (slot == drives_.end() || slot == drives_.begin()) return;
    drives_.front().drive->stop();
    std::rotate(drives_.begin(), slot, slot + 1);
}

std::optional<std::uint32_t> volumeSerial(const QString& root) {
    const DriveSet& set = DriveSet::instance();
    Drive* drive = root.isEmpty() ? set.defaultDrive() : set.byRoot(root);
    if (!drive) return std::nullopt;
    auto toc = drive->toc();
    if (!toc) return std::nullopt;
    return discSerial(*toc);
}

}  // namespace corvina::cd
