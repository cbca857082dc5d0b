#include "platform/cd/Probe.h"

#include <dirent.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/ErrorReport.h"
#include "platform/cd/DiscImage.h"
#include "platform/cd/DriveModel.h"
#include "platform/cd/LateDrive.h"
#include "platform/cd/LibcdioDevice.h"
#include "platform/cd/RealDrive.h"
#include "platform/cd/RememberedDisc.h"
#include "platform/cd/RipDrop.h"
#include "platform/cd/VirtualDrive.h"

namespace corvina::cd {
namespace {

const QString kVirtualName = QStringLiteral("CORVINA VIRTUAL DRIVE");

// The machine's CD drives as the kernel lists them (/sys/block/sr0 is /dev/sr0), in number
// order. Listing them opens none, so a drive the user may not open is listed too (and says so
// when it is opened), and the list is cheap enough to look at every few seconds.
std::vector<std::string> kernelCdDevices() {
    std::vector<std::pair<int, std::string>> found;
    // One directory read, no stat: this runs every two seconds.
    if (DIR* block = ::opendir("/sys/block")) {
        while (const dirent* entry = ::readdir(block)) {
            const char* name = entry->d_name;
            if (name[0] != 's' || name[1] != 'r' || name[2] < '0' || name[2] > '9') continue;
            char* end = nullptr;
            const long n = std::strtol(name + 2, &end, 10);
            if (*end == '\0') found.emplace_back(int(n), std::string("/dev/") + name);
        }
        ::closedir(block);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> devices;
    for (auto& [n, device] : found) devices.push_back(std::move(device));
    return devices;
}

// CORVINA_DRIVE_MODEL: the drive CORVINA_DRIVE names is the model of a drive, over that disc
// image or rip, instead of libcdio. nullopt when it is not set. Read again only when it changes
// (the drive list is looked at every two seconds).
std::optional<DriveModelSetup> chosenModel() {
    // Asked by the UI thread (the list) and by drives' own threads (opening).
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    static std::string read;
    static std::optional<DriveModelSetup> setup;
    const char* text = std::getenv("CORVINA_DRIVE_MODEL");
    if (!text) return std::nullopt;
    if (setup && read == text) return setup;
    read = text;
    std::string error;
    setup = parseDriveModelSetup(text, error);
    if (!setup) {
        std::fprintf(stderr, "Corvina: CORVINA_DRIVE_MODEL: %s; the model runs with its defaults.\n",
                     error.c_str());
        setup = DriveModelSetup{};
    }
    return setup;
}

std::unique_ptr<Drive> modelDrive(const std::string& device, DriveModelSetup setup) {
    QString error;
    std::shared_ptr<DiscSource> disc = loadDiscImage(QFile::decodeName(device.c_str()), error);
    if (!disc) {
        std::fprintf(stderr, "Corvina: the drive model has no disc: %s\n",
                     error.toLocal8Bit().constData());
    }
    return std::make_unique<RealDrive>(
        std::make_shared<DriveModel>(device, std::move(disc), std::move(setup)));
}

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
        // A drive or image chosen by hand stands for all the machine's drives.
        if (const char* chosen = std::getenv("CORVINA_DRIVE"); chosen && *chosen) {
            const std::optional<DriveModelSetup> model = chosenModel();
            if (model && !model->plugFile.empty() && !QFileInfo::exists(QFile::decodeName(model->plugFile.c_str())))
                return std::vector<std::string>{};
            return std::vector<std::string>{chosen};
        }
        return kernelCdDevices();
    };
    parts.openDevice = [](const std::string& device) -> std::unique_ptr<Drive> {
        const char* chosen = std::getenv("CORVINA_DRIVE");
        if (chosen && device == chosen) {
            if (std::optional<DriveModelSetup> model = chosenModel())
                return modelDrive(device, std::move(*model));
        }
        return std::make_unique<RealDrive>(libcdioDevice(device));
    };
    return parts;
}

std::unique_ptr<Drive> lateDrive(const ProbeParts& parts, const std::string& device) {
    auto open = parts.openDevice;
    return std::make_unique<LateDrive>(QString::fromLocal8Bit(device.c_str()),
                                       [open, device] { return open(device); }, device);
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
    for (const std::string& device : parts.listDevices()) drives.push_back(lateDrive(parts, device));
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
