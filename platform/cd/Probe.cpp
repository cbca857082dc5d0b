#include "platform/cd/Probe.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "platform/ErrorReport.h"
#include "platform/cd/CdioDrive.h"
#include "platform/cd/DiscImage.h"
#include "platform/cd/LateDrive.h"
#include "platform/cd/RememberedDisc.h"
#include "platform/cd/RipDrop.h"
#include "platform/cd/VirtualDrive.h"

namespace corvina::cd {
namespace {

const QString kVirtualName = QStringLiteral("CORVINA VIRTUAL DRIVE");

void quietLog(cdio_log_level_t, const char*) {}

// Something the user should know, not an error: told once the main window is on screen, in a
// box that lets the player go on behind it (a box before the window would hold up the start).
void tellLater(const QString& message) {
    showNoticeOnceShown(message);
}

// The virtual drive with the remembered rip; empty (the rip forgotten, the reason told once)
// when it is gone or cannot be played any more.
std::unique_ptr<VirtualDrive> rememberedRip(const QString& path) {
    QString error;
    std::shared_ptr<DiscSource> disc = loadRip(path, error);
    auto drive = std::make_unique<VirtualDrive>(kVirtualName, nullptr);
    if (disc) {
        drive->insert(std::move(disc), path);
        return drive;
    }
    rememberDisc(QString());
    tellLater(QFileInfo::exists(path)
                  ? QStringLiteral("上次留在播放器里的唱片无法播放，光驱现在是空的。\n%1: %2")
                        .arg(path, error)
                  : QStringLiteral("上次留在播放器里的唱片已被移动或删除，光驱现在是空的。\n%1")
                        .arg(path));
    return drive;
}

}  // namespace

ProbeParts realParts() {
    ProbeParts parts;
    parts.listDevices = [] {
        std::vector<std::string> names;
        // A drive or image chosen by hand stands for all the machine's drives.
        if (const char* chosen = std::getenv("CORVINA_DRIVE"); chosen && *chosen) {
            names.emplace_back(chosen);
            return names;
        }
        cdio_log_set_handler(quietLog);
        char** list = cdio_get_devices(DRIVER_DEVICE);
        for (char** device = list; device && *device; ++device) names.emplace_back(*device);
        if (list) cdio_free_device_list(list);
        return names;
    };
    parts.openDevice = [](const std::string& device) -> std::unique_ptr<Drive> {
        return std::make_unique<CdioDrive>(device);
    };
    return parts;
}

std::vector<std::unique_ptr<Drive>> probeDrives(const ProbeParts& parts) {
    std::vector<std::unique_ptr<Drive>> drives;
    if (const char* disc = std::getenv("CORVINA_DISC")) {
        if (*disc) {
            auto drive = VirtualDrive::forPath(QFile::decodeName(disc));
            if (!drive->ripPath().isEmpty())
                rememberDisc(QFileInfo(drive->ripPath()).absoluteFilePath());
            drives.push_back(std::move(drive));
        } else {
            drives.push_back(std::make_unique<VirtualDrive>(kVirtualName, nullptr));
        }
        return drives;
    }

    // A rip left in the player is what its user last chose to play; it comes before the real
    // drives, whose discs cannot be known without waiting for them to spin up.
    QString problem;
    const std::optional<QString> remembered = rememberedDisc(problem);
    if (!problem.isEmpty()) {
        rememberDisc(QString());
        tellLater(QStringLiteral("光驱记录无法读取，光驱现在是空的。\n") + problem);
    }
    std::unique_ptr<VirtualDrive> ripDrive;
    if (remembered) {
        ripDrive = rememberedRip(*remembered);
        // A rip that is gone leaves an empty virtual drive, which must not hide a real drive.
        if (!ripDrive->ripPath().isEmpty()) drives.push_back(std::move(ripDrive));
    }

    // An empty real drive still beats the demo disc: its owner is about to insert a disc and
    // expects the player to be watching that drive.
    for (const std::string& device : parts.listDevices()) {
        auto open = parts.openDevice;
        drives.push_back(std::make_unique<LateDrive>(QString::fromLocal8Bit(device.c_str()),
                                                     [open, device] { return open(device); }));
    }
    if (drives.empty() && !ripDrive) {
        drives.push_back(VirtualDrive::withDemoDisc());
    } else if (ripDrive) {
        drives.push_back(std::move(ripDrive));
    } else if (drives.size() > 0 && !dynamic_cast<VirtualDrive*>(drives.front().get())) {
        drives.push_back(std::make_unique<VirtualDrive>(kVirtualName, nullptr));
    }
    return drives;
}

}  // namespace corvina::cd
