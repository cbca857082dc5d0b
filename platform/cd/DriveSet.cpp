#include "platform/cd/DriveSet.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/cd/LateDrive.h"
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

bool DriveSet::end(std::chrono::milliseconds limit) {
    struct Ending {
        std::mutex mutex;
        std::condition_variable done;
        bool ended = false;
        std::vector<DriveSlot> drives;
    };
    auto ending = std::make_shared<Ending>();
    ending->drives = std::move(storage().drives_);
    std::thread([ending] {
        ending->drives.clear();
        std::lock_guard lock(ending->mutex);
        ending->ended = true;
        ending->done.notify_all();
    }).detach();
    std::unique_lock lock(ending->mutex);
    return ending->done.wait_for(lock, limit, [&] { return ending->ended; });
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

DriveChanges DriveSet::refresh(const ProbeParts& parts) {
    DriveChanges changes;
    const std::vector<std::string> devices = parts.listDevices();
    auto listed = [&](const std::string& device) {
        return std::find(devices.begin(), devices.end(), device) != devices.end();
    };
    std::vector<std::string> known;
    for (const auto& slot : drives_) {
        auto* late = dynamic_cast<LateDrive*>(slot.drive.get());
        if (!late || late->device().empty()) continue;
        known.push_back(late->device());
        if (late->gone() && listed(late->device())) {
            late->remake();
            changes.back.push_back(late);
        }
    }
    for (const std::string& device : devices) {
        if (std::find(known.begin(), known.end(), device) != known.end()) continue;
        char16_t letter = u'D';
        for (const auto& slot : drives_) letter = std::max(letter, char16_t(slot.letter.unicode() + 1));
        drives_.push_back({QChar(letter), lateDrive(parts, device)});
        changes.joined.push_back(drives_.back().drive.get());
    }
    return changes;
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
