#pragma once
// A real CD drive: its table of contents and CD-TEXT, its tray, and digital playback of the
// audio read from it (DriveStream), over a CD device (libcdio, or the model of a drive).
//
// The device may also be a disc image libcdio opens (a .cue with its .bin, a cdrdao .toc, an
// .nrg): its tray is then the player's own, as a virtual drive's.
//
// The drive's own thread looks at the drive every second: the tray, a disc put in or taken
// out, the TOC and CD-TEXT of a new disc, whether the device is still there. A device that
// goes (an unplugged USB drive) leaves an empty drive at once; the drive's threads end and
// `gone` says so, so that whoever made the drive can make it again when the device is back.
// Ejecting releases the device first (the system refuses to eject a device open more than
// once) and unmounts a mounted data session when the desktop allows it; when the tray cannot
// move, the user is told why.
//
// Threading: the Drive methods are called from the UI thread and only look at what the drive's
// own thread last found; they never wait for the drive.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/cd/Drive.h"
#include "platform/cd/DriveDevice.h"
#include "platform/cd/DriveStream.h"
#include "platform/cd/PlaybackEngine.h"

namespace corvina::cd {

// How the drive tells its user something (on the drive's thread; shown on the UI thread).
using DriveTeller = std::function<void(const QString& message)>;

class RealDrive : public Drive {
public:
    // `engine` null: the drive plays through the shared sound output. `tell` null: messages go
    // to the user through the player's notices. The first look at the drive is made before the
    // constructor returns (on the thread that makes the drive).
    explicit RealDrive(std::shared_ptr<DriveDevice> device,
                       std::unique_ptr<PlaybackEngine> engine = nullptr, DriveTeller tell = {});
    ~RealDrive() override;

    // The device went away: this drive stays empty and its threads have ended.
    bool gone() const override;

    QString description() const override;
    bool isDoorOpen() const override;
    void setDoorOpen(bool open) override;
    std::optional<Toc> toc() const override;
    bool play(int from, int to) override;
    void stop() override;
    bool seek(int frame) override;
    int position() const override;
    bool isPlaying() const override;
    void setChannels(bool left, bool right) override;
    std::optional<CdText> cdText() const override;

private:
    void watch();
    // One look at the drive (the drive's thread, or the constructor before it starts).
    void look();
    void moveTray(bool open);
    void becomeGone();
    void publishDisc(std::optional<Toc> toc, std::optional<CdText> text, bool trayOpen);
    void tellOnce(bool& told, const QString& message);

    const std::shared_ptr<DriveDevice> device_;
    QString description_;
    std::unique_ptr<PlaybackEngine> engine_;
    DriveTeller tell_;

    // The drive's thread's own.
    std::unique_ptr<DeviceHandle> handle_;
    bool known_ = false;      // the TOC of the disc in it has been read
    bool toldAccess_ = false;
    bool toldToc_ = false;
    bool toldEject_ = false;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    bool gone_ = false;
    bool doorOpen_ = false;
    std::optional<bool> trayRequest_;  // true: open it, false: close it
    std::optional<Toc> toc_;
    std::optional<CdText> text_;
    bool imageDoorOpen_ = false;
    std::shared_ptr<DriveStream> stream_;  // the disc the engine plays
    std::thread thread_;
};

}  // namespace corvina::cd
