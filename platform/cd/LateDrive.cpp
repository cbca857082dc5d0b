#include "platform/cd/LateDrive.h"

namespace corvina::cd {

LateDrive::LateDrive(QString description, std::function<std::unique_ptr<Drive>()> make,
                     std::string device)
    : description_(std::move(description)), make_(std::move(make)), device_(std::move(device)) {
    start();
}

void LateDrive::start() {
    thread_ = std::thread([this] {
        std::unique_ptr<Drive> drive = make_();
        {
            std::lock_guard lock(mutex_);
            drive_ = std::move(drive);
            done_ = true;
        }
        made_.notify_all();
    });
}

LateDrive::~LateDrive() {
    // A drive still being opened is waited for: the backend's handle must not be left behind.
    thread_.join();
}

bool LateDrive::gone() const {
    Drive* drive = ready();
    return drive && drive->gone();
}

void LateDrive::remake() {
    if (!gone()) return;
    thread_.join();  // done: the backend was made
    std::unique_ptr<Drive> old;
    {
        std::lock_guard lock(mutex_);
        old = std::move(drive_);
        done_ = false;
    }
    old.reset();
    applied_ = false;
    doorRequest_.reset();
    start();
}

Drive* LateDrive::ready() const {
    std::lock_guard lock(mutex_);
    return drive_.get();
}

void LateDrive::waitReady() const {
    std::unique_lock lock(mutex_);
    made_.wait(lock, [this] { return done_; });
}

Drive* LateDrive::live() const {
    Drive* drive = ready();
    if (drive && !applied_) {
        applied_ = true;
        if (channels_) drive->setChannels(channels_->first, channels_->second);
        if (doorRequest_) drive->setDoorOpen(*doorRequest_);
    }
    return drive;
}

QString LateDrive::description() const {
    Drive* drive = live();
    return drive ? drive->description() : description_;
}

bool LateDrive::isDoorOpen() const {
    Drive* drive = live();
    return drive ? drive->isDoorOpen() : doorRequest_.value_or(false);
}

void LateDrive::setDoorOpen(bool open) {
    if (Drive* drive = live()) return drive->setDoorOpen(open);
    doorRequest_ = open;
}

std::optional<Toc> LateDrive::toc() const {
    Drive* drive = live();
    return drive ? drive->toc() : std::nullopt;
}

bool LateDrive::play(int from, int to) {
    Drive* drive = live();
    return drive && drive->play(from, to);
}

void LateDrive::stop() {
    if (Drive* drive = live()) drive->stop();
}

bool LateDrive::seek(int frame) {
    Drive* drive = live();
    return drive && drive->seek(frame);
}

int LateDrive::position() const {
    Drive* drive = live();
    return drive ? drive->position() : kLeadInFrames;
}

bool LateDrive::isPlaying() const {
    Drive* drive = live();
    return drive && drive->isPlaying();
}

void LateDrive::setChannels(bool left, bool right) {
    // Kept for a backend made again later (a drive plugged back in).
    channels_ = std::make_pair(left, right);
    if (Drive* drive = live()) drive->setChannels(left, right);
}

std::optional<CdText> LateDrive::cdText() const {
    Drive* drive = live();
    return drive ? drive->cdText() : std::nullopt;
}

}  // namespace corvina::cd
