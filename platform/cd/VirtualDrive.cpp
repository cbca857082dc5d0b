#include "platform/cd/VirtualDrive.h"

#include <algorithm>
#include <cstdio>

#include "platform/cd/DemoDisc.h"
#include "platform/cd/RipDrop.h"

namespace corvina::cd {

VirtualDrive::VirtualDrive(QString description, std::shared_ptr<DiscSource> disc,
                           std::unique_ptr<PlaybackEngine> engine)
    : description_(std::move(description)), disc_(std::move(disc)), engine_(std::move(engine)) {
    if (disc_ && !engine_) {
        engine_ = std::make_unique<PlaybackEngine>(disc_, audio::AudioOutput::shared());
    }
}

VirtualDrive::~VirtualDrive() = default;

std::unique_ptr<VirtualDrive> VirtualDrive::forPath(const QString& path) {
    QString error;
    std::shared_ptr<DiscSource> disc = loadRip(path, error);
    if (!disc) {
        std::fprintf(stderr, "Corvina: cannot use the disc %s: %s\n",
                     path.toLocal8Bit().constData(), error.toLocal8Bit().constData());
    }
    auto drive = std::make_unique<VirtualDrive>(QStringLiteral("CORVINA VIRTUAL DRIVE"), disc);
    if (disc) drive->ripPath_ = path;
    return drive;
}

void VirtualDrive::insert(std::shared_ptr<DiscSource> disc, const QString& path) {
    disc_ = std::move(disc);
    ripPath_ = disc_ ? path : QString();
    if (!ripPath_.isEmpty()) description_ = QStringLiteral("CORVINA VIRTUAL DRIVE");
    doorOpen_ = false;
    if (engine_) {
        engine_->setDisc(disc_);
    } else if (disc_) {
        engine_ = std::make_unique<PlaybackEngine>(disc_, audio::AudioOutput::shared());
    }
}

std::unique_ptr<VirtualDrive> VirtualDrive::withDemoDisc() {
    return std::make_unique<VirtualDrive>(QStringLiteral("CORVINA DEMO DISC"), makeDemoDisc());
}

QString VirtualDrive::description() const {
    return description_;
}

bool VirtualDrive::isDoorOpen() const {
    return doorOpen_;
}

void VirtualDrive::setDoorOpen(bool open) {
    if (open == doorOpen_) return;
    doorOpen_ = open;
    // The disc comes back as if put in afresh: stopped at its first track.
    if (engine_ && disc_) {
        const Toc& toc = disc_->toc();
        engine_->seek(std::max(toc.playableFrom(toc.firstFrame()), toc.firstFrame()));
    }
}

std::optional<Toc> VirtualDrive::toc() const {
    if (!usable()) return std::nullopt;
    return disc_->toc();
}

bool VirtualDrive::play(int from, int to) {
    if (!usable() || from < 0 || from >= to || to > disc_->toc().leadOut) return false;
    // A rip's data track is counted but never sounds.
    if (!disc_->toc().trimToAudio(from, to)) return false;
    engine_->play(from, to);
    return true;
}

void VirtualDrive::stop() {
    if (engine_) engine_->stop();
}

bool VirtualDrive::seek(int frame) {
    if (!usable() || frame < 0 || frame > disc_->toc().leadOut) return false;
    engine_->seek(frame);
    return true;
}

int VirtualDrive::position() const {
    return engine_ ? engine_->position() : kLeadInFrames;
}

bool VirtualDrive::isPlaying() const {
    return engine_ && !doorOpen_ && engine_->isPlaying();
}

void VirtualDrive::setChannels(bool left, bool right) {
    if (engine_) engine_->setChannels(left, right);
}

std::optional<CdText> VirtualDrive::cdText() const {
    if (!usable()) return std::nullopt;
    return disc_->cdText();
}

}  // namespace corvina::cd
