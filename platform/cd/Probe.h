#pragma once
// The drives the machine offers, the default drive first, found without waiting for any drive:
//   CORVINA_DISC=PATH  only the virtual drive, holding that rip (for this run; it is remembered
//                      like any rip put in the drive);
//   CORVINA_DISC=      only the virtual drive, empty;
//   unset              the virtual drive holding the remembered rip, if one is remembered,
//                      then the real drives in device order; else the real drives and
//                      after them an empty virtual drive for rips dropped on the player; with no
//                      real drive and no rip, the virtual drive holding the built-in demo disc.
// A rip put in the virtual drive while the player runs makes it the default (DriveSet).
// Real drives answer as empty drives until they have been opened on their own threads.
// A remembered rip that is gone or unusable leaves the virtual drive empty: the rip is
// forgotten and the reason is shown once, through the error report, when the event loop runs.
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "platform/cd/Drive.h"

namespace corvina::cd {

struct ProbeParts {
    // The machine's CD devices by name, listed without opening them.
    std::function<std::vector<std::string>()> listDevices;
    // The backend of one device; runs on the drive's own thread and may block.
    std::function<std::unique_ptr<Drive>(const std::string& device)> openDevice;
};

// The kernel's CD devices (/dev/srN) and RealDrive through libcdio. CORVINA_DRIVE=PATH lists
// that device or image alone; with CORVINA_DRIVE_MODEL it is the model of a drive over that
// disc image or rip (DriveModel.h), listed only while its plug file exists when it has one.
ProbeParts realParts();

std::vector<std::unique_ptr<Drive>> probeDrives(const ProbeParts& parts = realParts());

// A drive for `device` that is made on a thread of its own (LateDrive).
std::unique_ptr<Drive> lateDrive(const ProbeParts& parts, const std::string& device);

}  // namespace corvina::cd
