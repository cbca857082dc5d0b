#include "platform/cd/QuietReader.h"

#include <array>

namespace corvina::cd {
namespace {

// Speeds tried in turn while playing; 0 is the drive's own (its fastest).
constexpr std::array<int, 4> kSpeeds = {2, 4, 8, 0};
// Reads are judged a second of audio at a time. Reading that second must take no more than
// 0.8 s (1.25x): slower, and a stall of a few seconds would drain the buffer for good.
constexpr int kJudged = kFramesPerSecond;
constexpr std::chrono::milliseconds kMostReading{800};

}  // namespace

QuietReader::QuietReader(Toc toc, std::unique_ptr<SectorReader> reader, const Clock& clock)
    : toc_(std::move(toc)), clock_(clock), reader_(std::move(reader)) {}

QuietReader::~QuietReader() {
    std::lock_guard lock(mutex_);
    if (asked_ != 0) askLocked(0);
}

void QuietReader::askLocked(int times) {
    if (refused_) return;
    if (!reader_->setSpeed(times)) {
        // Images and some drives have no speed to set: they are read as they come.
        refused_ = true;
        asked_ = 0;
        return;
    }
    asked_ = times;
    judged_ = 0;
    reading_ = {};
}

bool QuietReader::readSector(int frame, std::int16_t* out) {
    std::lock_guard lock(mutex_);
    const int wanted = kSpeeds[static_cast<std::size_t>(level_)];
    if (wanted != asked_ && !refused_) askLocked(wanted);
    const std::chrono::nanoseconds begin = clock_.now();
    const bool ok = reader_->read(frame, out);
    if (refused_ || level_ + 1 >= static_cast<int>(kSpeeds.size())) return ok;
    reading_ += clock_.now() - begin;
    if (++judged_ == kJudged) {
        if (reading_ > kMostReading) ++level_;
        judged_ = 0;
        reading_ = {};
    }
    return ok;
}

void QuietReader::settle(bool playing) {
    std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock() || playing) return;
    level_ = 0;  // the next play starts quiet again
    if (asked_ != 0) askLocked(0);
}

int QuietReader::speed() const {
    std::lock_guard lock(mutex_);
    return asked_;
}

}  // namespace corvina::cd
