#pragma once
// What the real-drive backend asks of a CD device: libcdio on a device node or a disc image
// (LibcdioDevice), or the model of a drive that reads in real time (DriveModel).
//
// The calls are the drive's own and may block for as long as the drive takes: a spin-up, a
// seek, a sector the drive retries for seconds. They are made on the backend's own threads,
// never on the user-interface thread. A device serves several handles at once (the watching
// thread's and the reading thread's), each used by one thread at a time.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/cd/Drive.h"

namespace corvina::cd {

// Where libcdio counts sectors from: a logical sector number is an absolute frame minus the
// two-second lead-in.
struct RawTrack {
    int lsn = 0;
    bool audio = true;
    bool preemphasis = false;
};

// A table of contents as the drive reports it.
struct RawToc {
    std::vector<RawTrack> tracks;  // the first track's number is 1
    int leadOutLsn = 0;
    // Where the last session starts on a disc of several sessions; 0 on a disc of one.
    int lastSessionLsn = 0;
};

enum class TrayState { Closed, Open, Unknown };

enum class ReadStatus {
    Ok,
    Unreadable,  // the drive gave up on a sector of the range
    Gone,        // the device is no longer there (unplugged)
};

// What opening or reading a device can fail with, for the user.
enum class OpenError { None, Missing, NotPermitted, Other };

class DeviceHandle {
public:
    DeviceHandle() = default;
    DeviceHandle(const DeviceHandle&) = delete;
    DeviceHandle& operator=(const DeviceHandle&) = delete;
    virtual ~DeviceHandle() = default;

    virtual TrayState tray() = 0;
    // Whether a disc went in or out since the last call (a fresh handle reports none).
    virtual bool mediaChanged() = 0;
    // The disc's TOC; false with no disc or a TOC the drive cannot read (`why` says which, in a
    // few words for a log line, empty for no disc).
    virtual bool readToc(RawToc& toc, std::string& why) = 0;
    // The disc's CD-TEXT as the drive returns it (a 4-byte header, then packs of 18 bytes);
    // empty when it has none.
    virtual std::vector<std::uint8_t> cdTextPacks() = 0;
    // Names a disc image carries in another form (its cue sheet's), for an image without packs.
    virtual std::optional<CdText> imageText() { return std::nullopt; }
    // `times` the audio rate (1x = 75 sectors a second); 0 gives the drive its own speed back.
    // False when the drive refuses (images, some drives).
    virtual bool setSpeed(int times) = 0;
    // Reads `count` audio sectors from `lsn` on into `out` (588 stereo frames a sector).
    virtual ReadStatus readAudio(int lsn, int count, std::int16_t* out) = 0;
};

class DriveDevice {
public:
    DriveDevice() = default;
    DriveDevice(const DriveDevice&) = delete;
    DriveDevice& operator=(const DriveDevice&) = delete;
    virtual ~DriveDevice() = default;

    // The device node or image path, as given.
    virtual const std::string& path() const = 0;
    // A disc image, whose tray is the player's own, rather than a drive.
    virtual bool isImage() const = 0;
    // "VENDOR MODEL" of a drive; empty when the drive does not say.
    virtual std::string model() = 0;
    // Whether the device node is there at all (an unplugged drive's is gone). Cheap.
    virtual bool present() = 0;
    // A new handle; null with `error` (and `detail`, the system's words) when it cannot be
    // opened.
    virtual std::unique_ptr<DeviceHandle> open(OpenError& error, std::string& detail) = 0;

    // A file system of the disc is mounted (the desktop mounts a data session when a disc goes
    // in); the tray cannot move until it is unmounted. Cheap.
    virtual bool mounted() = 0;
    // Unmounts it as the desktop would; false with `why` (UTF-8, for the user). May block for a
    // few seconds.
    virtual bool unmount(std::string& why) = 0;

    // The tray, moved with no handle of this program open on the device (the system refuses to
    // eject a device that is open more than once). False with `why` (UTF-8) when it does not
    // move.
    virtual bool eject(std::string& why) = 0;
    virtual void closeTray() = 0;
};

}  // namespace corvina::cd
