#pragma once
// A real CD drive through libcdio: its table of contents and CD-TEXT, its tray, and digital
// playback of the audio sectors read with cdparanoia.
//
// The device may also be a disc image libcdio opens (a .cue with its .bin, a cdrdao .toc, an
// .nrg): its tray is the player's own, as a virtual drive's. While playing, the drive is read at
// a low, steady speed (QuietReader).
//
// Threading: the Drive methods are called from the UI thread and only look at what the drive's
// own thread last found: that thread watches the drive every second (tray, media change, TOC,
// CD-TEXT) and moves the tray when asked. Sectors are read ahead on the playback thread.
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/cd/Drive.h"
#include "platform/cd/PlaybackEngine.h"
#include "platform/cd/QuietReader.h"

namespace corvina::cd {

class CdioDrive : public Drive {
public:
    // One drive per CD device the system lists, in its order; only the one CORVINA_DRIVE names
    // (a device node or an image) when it is set.
    static std::vector<std::unique_ptr<CdioDrive>> probeAll();

    explicit CdioDrive(std::string device);
    // The read side of the disc with this TOC in `device`: cdparanoia's audio and the drive's
    // speed. Blocking; for a playback thread (or a test).
    static std::unique_ptr<SectorReader> openReader(const std::string& device, const Toc& toc);
    ~CdioDrive() override;

    // Whether a disc was found when the drive was opened.
    bool hasDiscNow() const;

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
    struct Handle;
    void watch();
    // One look at the drive (the drive's thread, or the constructor before it starts).
    void look(Handle& handle);

    const std::string device_;
    bool image_ = false;
    QString description_;
    PlaybackEngine engine_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    bool doorOpen_ = false;
    std::optional<bool> trayRequest_;  // true: open it, false: close it
    std::optional<Toc> toc_;
    std::optional<CdText> text_;
    bool imageDoorOpen_ = false;
    std::shared_ptr<QuietReader> reader_;  // the disc the engine plays
    std::unique_ptr<Handle> handle_;       // the watching thread's; the constructor's first look
    std::thread thread_;
};

}  // namespace corvina::cd
