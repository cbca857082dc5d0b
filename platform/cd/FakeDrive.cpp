#include "platform/cd/FakeDrive.h"

#include <utility>

namespace corvina::cd {

FakeDrive::FakeDrive(std::vector<int> trackFrames, QString description)
    : description_(std::move(description)) {
    if (!trackFrames.empty()) setDisc(makeToc(trackFrames));
}

Toc FakeDrive::makeToc(const std::vector<int>& trackFrames) {
    Toc toc;
    int frame = kLeadInFrames;
    for (int length : trackFrames) {
        toc.tracks.push_back({frame, true});
        frame += length;
    }
    toc.leadOut = frame;
    return toc;
}

void FakeDrive::setDisc(std::optional<Toc> toc) {
    disc_ = std::move(toc);
    playing_ = false;
    position_ = disc_ ? disc_->firstFrame() : kLeadInFrames;
}

void FakeDrive::setRefusePositions(bool refuse) {
    refuse_ = refuse;
}

void FakeDrive::setVanished(bool vanished) {
    vanished_ = vanished;
    if (vanished) playing_ = false;
}

void FakeDrive::advance(int frames) {
    if (!playing_ || frames <= 0) return;
    if (frames >= playEnd_ - position_) {
        position_ = playEnd_;
        playing_ = false;
    } else {
        position_ += frames;
    }
}

QString FakeDrive::description() const {
    return description_;
}

bool FakeDrive::isDoorOpen() const {
    return doorOpen_;
}

void FakeDrive::setDoorOpen(bool open) {
    if (vanished_ || open == doorOpen_) return;
    doorOpen_ = open;
    playing_ = false;
    // A disc put back is read afresh, like a real drive does after the tray closes.
    if (!open && disc_) position_ = disc_->firstFrame();
}

std::optional<Toc> FakeDrive::toc() const {
    if (vanished_ || doorOpen_) return std::nullopt;
    return disc_;
}

bool FakeDrive::play(int from, int to) {
    if (refuse_ || !toc() || from >= to || from < 0 || to > disc_->leadOut) return false;
    position_ = from;
    playEnd_ = to;
    playing_ = true;
    return true;
}

void FakeDrive::stop() {
    playing_ = false;
}

bool FakeDrive::seek(int frame) {
    if (refuse_ || !toc() || frame < 0 || frame > disc_->leadOut) return false;
    position_ = frame;
    playing_ = false;
    return true;
}

int FakeDrive::position() const {
    return position_;
}

bool FakeDrive::isPlaying() const {
    return playing_;
}

void FakeDrive::setChannels(bool left, bool right) {
    left_ = left;
    right_ = right;
}

void FakeDrive::setCdText(std::optional<CdText> text) {
    text_ = std::move(text);
}

std::optional<CdText> FakeDrive::cdText() const {
    if (!toc()) return std::nullopt;
    return text_;
}

}  // namespace corvina::cd
