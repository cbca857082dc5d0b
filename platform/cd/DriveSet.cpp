#include "platform/cd/DriveSet.h"

namespace corvina::cd {

DriveSet& DriveSet::instance() {
    static DriveSet set;
    return set;
}

void DriveSet::install(std::vector<std::unique_ptr<Drive>> drives) {
    auto& installed = instance().drives_;
    installed.clear();
    char16_t letter = u'D';
    for (auto& drive : drives) installed.push_back({QChar(letter++), std::move(drive)});
}

Drive* DriveSet::byRoot(const QString& root) const {
    if (root.isEmpty()) return nullptr;
    const QChar letter = root.front().toUpper();
    for (const auto& slot : drives_)
        if (slot.letter == letter) return slot.drive.get();
    return nullptr;
}

std::optional<std::uint32_t> volumeSerial(const QString& root) {
    const DriveSet& set = DriveSet::instance();
    Drive* drive = root.isEmpty() ? set.defaultDrive() : set.byRoot(root);
    if (!drive) return std::nullopt;
    auto toc = drive->toc();
    if (!toc) return std::nullopt;
    return discSerial(*toc);
}

std::uint32_t discSerial(const Toc&) { return 0; }  // stand-in until the drive layer lands

}  // namespace corvina::cd
