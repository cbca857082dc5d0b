#pragma once
// The machine's CD drives, each with a drive letter, and the default drive that
// "open cdaudio" names implicitly.
//
// Built once at start (`DriveSet::instance()` probes on first use, see Probe.h), without waiting
// for any drive. There is at most one virtual drive: it takes the rips users drop on the player.
// Letters are given from D: in the order of the probe, the default drive first; they stay with
// their drives for the run. Tests install their own set.
//
// UI thread only.
#include <QChar>
#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/cd/Drive.h"

namespace corvina::cd {

class VirtualDrive;
struct ProbeParts;

// What a look at the machine's devices found (DriveSet::refresh).
struct DriveChanges {
    std::vector<Drive*> joined;  // drives of devices that were not there before
    std::vector<Drive*> back;    // drives whose device had gone and is there again

    bool any() const { return !joined.empty() || !back.empty(); }
};
struct DriveSlot {
    QChar letter;  // 'D', 'E', ...
    std::unique_ptr<Drive> drive;
};

class DriveSet {
public:
    static DriveSet& instance();
    // Replaces the probed set (tests). The first drive becomes the default.
    static void install(std::vector<std::unique_ptr<Drive>> drives);
    // At the end of the run: the drives finish what they were asked last (a tray to move) and
    // their threads end, within `limit`. False when a drive is still busy then (a read the
    // drive is retrying, a TOC read that does not come back): its threads are left to the end
    // of the process.
    static bool end(std::chrono::milliseconds limit);

    const std::vector<DriveSlot>& drives() const { return drives_; }
    Drive* defaultDrive() const { return drives_.empty() ? nullptr : drives_.front().drive.get(); }
    Drive* byRoot(const QString& root) const;  // "E:" or "E:\"; nullptr when unknown
    // The set's virtual drive (the first one), nullptr when it has none.
    VirtualDrive* virtualDrive() const;
    // Makes `drive` (one of the set's) the default: it moves to the front of the list with its
    // letter, and the drive that was the default stops playing. "open cdaudio" aliases follow.
    void makeDefault(Drive* drive);
    // Drives that come and go while the player runs: a listed device that no drive stands for
    // joins the set with the next free letter; a drive whose device went away and is listed
    // again is made again. Cheap when nothing changed (the list is the kernel's).
    DriveChanges refresh(const ProbeParts& parts);

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
