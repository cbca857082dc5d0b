#pragma once
// The machine's CD drives, each with a drive letter, and the default drive that
// "open cdaudio" names implicitly.
//
// Built once at start (`DriveSet::instance()` probes on first use):
//   CORVINA_DISC=PATH  a virtual drive holding that .cue file or folder of rips, the default;
//   CORVINA_DISC=      (set, empty) an empty virtual drive, the default;
//   unset              the real drives (libcdio) in device order, the first one holding a disc
//                      the default (else the first one); with no real drive at all, a virtual
//                      drive with the built-in demo disc.
// Letters are given from D: in order, the default drive first. Tests install their own set.
//
// UI thread only.
#include <QChar>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/cd/Drive.h"

namespace corvina::cd {

struct DriveSlot {
    QChar letter;  // 'D', 'E', ...
    std::unique_ptr<Drive> drive;
};

class DriveSet {
public:
    static DriveSet& instance();
    // Replaces the probed set (tests). The first drive becomes the default.
    static void install(std::vector<std::unique_ptr<Drive>> drives);

    const std::vector<DriveSlot>& drives() const { return drives_; }
    Drive* defaultDrive() const { return drives_.empty() ? nullptr : drives_.front().drive.get(); }
    Drive* byRoot(const QString& root) const;  // "E:" or "E:\"; nullptr when unknown

private:
    static DriveSet& storage();
    void assign(std::vector<std::unique_ptr<Drive>> drives);

    std::vector<DriveSlot> drives_;
    bool probed_ = false;
};

// The volume-information query: the serial of the disc in the drive `root` ("E:"); for an empty
// root, the default drive's. nullopt when there is no such drive or no usable disc in it.
std::optional<std::uint32_t> volumeSerial(const QString& root);

}  // namespace corvina::cd
