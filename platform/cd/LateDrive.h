#pragma once
// A drive that is still being opened: a real drive spinning up can take seconds to answer, and
// the player's window must not wait for it. The backend is made on a thread of its own; until
// it is ready this drive answers as an empty drive does (door closed, no media, position at the
// lead-in, every play and seek refused), and from then on everything goes to the backend. A tray
// or channel request made in the meantime is passed on when the backend is ready.
//
// Threading: like every Drive, used from the UI thread; only the making runs elsewhere.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/cd/Drive.h"

namespace corvina::cd {

class LateDrive : public Drive {
public:
    // `make` runs on the drive's own thread and may block; it may return null (no drive).
    // `device` names what the backend drives (a device node), for the drive list's watch.
    LateDrive(QString description, std::function<std::unique_ptr<Drive>()> make,
              std::string device = {});
    ~LateDrive() override;

    // The backend, once made (nullptr before).
    Drive* ready() const;
    // Waits until the backend is made (tests and benchmarks).
    void waitReady() const;
    const std::string& device() const { return device_; }
    // The backend's device went away (it answers as an empty drive until made again).
    bool gone() const override;
    // Makes the backend again, as at first (the device is back). Only once it is gone.
    void remake();

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
    // The backend with the requests made before it was ready applied; nullptr before.
    Drive* live() const;
    void start();

    QString description_;
    std::function<std::unique_ptr<Drive>()> make_;
    std::string device_;
    mutable std::mutex mutex_;
    mutable std::condition_variable made_;
    bool done_ = false;
    std::unique_ptr<Drive> drive_;
    mutable bool applied_ = false;
    std::optional<bool> doorRequest_;
    std::optional<std::pair<bool, bool>> channels_;
    std::thread thread_;
};

}  // namespace corvina::cd
