#pragma once
// A model of a CD drive that reads in real time, over a disc's audio (a disc image, a rip, or
// one made up by a test). It stands where libcdio stands for a real drive, so the real-drive
// backend's own code runs on it: the tests use it on a scripted clock, and CORVINA_DRIVE_MODEL
// puts it under the player itself (in real time) for end-to-end tests and trying things out.
//
// What a read costs, as a drive charges it: the transfer at the speed last set (the drive's own
// speed until one is set, or when it refuses the speed command); a seek of 0.1 s to 0.3 s
// (further is slower) for a read that does not follow the last one; a spin-up on the first
// read after a disc goes in; and, for a command that meets a sector the drive cannot read, the
// time the drive spends retrying it before the command fails. The device can be unplugged (its
// handles then fail and it cannot be opened) and plugged back, its tray moved, its disc taken
// out and put in, and it refuses to eject while more than one handle is open, as the kernel
// does.
//
// Threading: any thread; a read sleeps on the model's clock without holding the model's lock.
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/cd/DiscSource.h"
#include "platform/cd/DriveDevice.h"
#include "platform/cd/PlaybackEngine.h"

namespace corvina::cd {

struct DriveModelSetup {
    std::chrono::milliseconds spinUp{1500};
    std::chrono::milliseconds seekNear{100};  // a seek of a few sectors
    std::chrono::milliseconds seekFar{300};   // a seek across the whole disc
    int ownSpeed = 24;                        // times the audio rate
    bool refusesSpeed = false;
    std::vector<std::pair<int, int>> failing;  // [first, end) absolute frames it cannot read
    std::chrono::milliseconds failCost{4000};  // per command that meets one of them
    bool tocUnreadable = false;                // a disc whose TOC the drive cannot read
    bool permitted = true;                     // false: the user may not open the device
    bool mounted = false;                      // a data session the desktop mounted
    bool unmountRefused = false;               // ... which the user may not unmount
    std::vector<std::uint8_t> cdTextPacks;
    std::string model = "CORVINA DRIVE MODEL";
    // When set, the drive is plugged in exactly while this file exists.
    std::string plugFile;
};

// A setup from its text form, e.g. "spinup=1.5,fail=900-975,failcost=6,refuse-speed,
// plug=/tmp/drive": keys spinup, seek (near-far, in seconds), speed, fail (first-end frames,
// repeatable), failcost (seconds), refuse-speed, toc-unreadable, not-permitted, plug. nullopt
// with `error` for text that is not such a setup.
std::optional<DriveModelSetup> parseDriveModelSetup(const std::string& text, std::string& error);

class DriveModel : public DriveDevice {
public:
    struct Read {
        std::chrono::nanoseconds at;  // when the command began
        int lsn;
        int count;
        ReadStatus status;
    };

    // `disc` may be null (an empty drive).
    DriveModel(std::string path, std::shared_ptr<DiscSource> disc, DriveModelSetup setup,
               const Clock& clock = Clock::system());
    ~DriveModel() override;

    // Switches.
    void unplug();
    void plugIn();
    void insert(std::shared_ptr<DiscSource> disc);  // as a user puts a disc in (null: out)
    // A worn disc, or a drive slower than it says: transfers at `share` of the speed set.
    void setReadEfficiency(double share);

    // What happened.
    std::vector<Read> reads() const;
    std::vector<int> speedsAsked() const;
    bool trayOpen() const;

    // DriveDevice.
    const std::string& path() const override;
    bool isImage() const override { return false; }
    std::string model() override;
    bool present() override;
    std::unique_ptr<DeviceHandle> open(OpenError& error, std::string& detail) override;
    bool mounted() override;
    bool unmount(std::string& why) override;
    bool eject(std::string& why) override;
    void closeTray() override;

    struct State;

private:
    std::shared_ptr<State> state_;
};

}  // namespace corvina::cd
