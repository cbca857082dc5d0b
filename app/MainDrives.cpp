// Drives that come and go while the player runs: a USB drive plugged in, unplugged, plugged
// back. The kernel's list of CD devices is looked at every two seconds (a folder listing, no
// drive is touched); a drive that is unplugged empties itself at once, on its own thread.
#include <QTimer>

#include "app/Main.h"
#include "app/MainDrives.h"
#include "platform/ErrorReport.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/Probe.h"
#include "platform/cd/VirtualDrive.h"
#include "platform/registry/DriveList.h"

void TFormMain::DrivesChanged(const corvina::cd::DriveChanges& changes) {
    corvina::cd::DriveSet& drives = corvina::cd::DriveSet::instance();
    auto* current = dynamic_cast<corvina::cd::VirtualDrive*>(drives.defaultDrive());
    // The demo disc or an empty virtual drive stands in for a real drive; a rip the user put in
    // stays what plays.
    bool play = false;
    if (!changes.joined.empty() && current && current->ripPath().isEmpty()) {
        drives.makeDefault(changes.joined.front());
        play = true;
    }
    for (corvina::cd::Drive* drive : changes.back) play = play || drive == drives.defaultDrive();
    // The device list names the drives there are.
    corvina::publishDriveBranch();
    if (!play) return;
    DriveRoot = corvina::detectDriveRoot();
    // As after a disc put in through the player's own tray: nothing commanded, so the tick
    // plays the disc once the drive has read it.
    Playing = false;
    Paused = false;
    Stopped = false;
}

namespace corvina {

std::shared_ptr<void> startDriveWatch(TFormMain& form) {
    // A disc chosen for the run (CORVINA_DISC) is the only drive there is.
    if (qEnvironmentVariableIsSet("CORVINA_DISC")) return nullptr;
    auto timer = std::make_shared<QTimer>();
    timer->setInterval(2000);
    QObject::connect(timer.get(), &QTimer::timeout, &form, [&form] {
        runHandler([&form] {
            const cd::DriveChanges changes = cd::DriveSet::instance().refresh(cd::realParts());
            if (changes.any()) form.DrivesChanged(changes);
        });
    });
    timer->start();
    return timer;
}

}  // namespace corvina
