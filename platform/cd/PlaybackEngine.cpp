#include "platform/cd/PlaybackEngine.h"

#include <algorithm>

namespace corvina::cd {
namespace {

constexpr std::size_t kReadAhead = 2 * kFramesPerSecond;
constexpr int kMostBehind = kFramesPerSecond;
// The thread sleeps until this many sectors are due at once rather than waking for each one:
// 40 ms for a device fed ahead of the clock; 80 ms for outputs paced by the clock itself, which
// get sound already heard (a file, or nothing), so a longer sleep delays nobody. The first
// sector after a play or seek goes out alone, so sound starts at once.
constexpr int kDeviceBatch = 3;
constexpr int kPacedBatch = 6;
// A sector a reading-ahead source has not delivered this long after the clock reached it
// plays as silence.
constexpr int kLateGrace = 3;

// Where a disc in the drive waits: its first audio track (a mixed-mode disc's data track 1
// never plays).
int firstPlayable(const Toc& toc) {
    const int frame = toc.playableFrom(toc.firstFrame());
    return frame < 0 ? toc.firstFrame() : frame;
}

class SteadyClock : public Clock {
public:
    std::chrono::nanoseconds now() const override {
        return std::chrono::steady_clock::now().time_since_epoch();
    }
};

}  // namespace

void Clock::sleepFor(std::chrono::nanoseconds time) const {
    std::this_thread::sleep_for(time);
}

const Clock& Clock::system() {
    static const SteadyClock clock;
    return clock;
}

PlaybackEngine::PlaybackEngine(std::shared_ptr<DiscSource> disc, audio::AudioOutput& output,
                               const Clock& clock, bool threaded)
    : disc_(std::move(disc)),
      output_(output),
      clock_(clock),
      position_(disc_ ? firstPlayable(disc_->toc()) : kLeadInFrames) {
    if (disc_) disc_->setWaker([this] { wakeFromSource(); });
    if (threaded) thread_ = std::thread([this] { run(); });
}

PlaybackEngine::~PlaybackEngine() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        ++events_;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    if (disc_) disc_->setWaker({});
}

void PlaybackEngine::wakeFromSource() {
    {
        std::lock_guard lock(mutex_);
        ++events_;
    }
    wake_.notify_all();
}

int PlaybackEngine::clockFrameLocked() const {
    if (frozen_) return startFrame_;
    const long long elapsed = (clock_.now() - startTime_).count();
    const long long frames = elapsed <= 0 ? 0 : elapsed * kFramesPerSecond / 1'000'000'000;
    return static_cast<int>(std::min<long long>(startFrame_ + frames, endFrame_));
}

void PlaybackEngine::keepPlayedLocked() {
    // A clock-paced output gets each sector once it has been played: those the clock has passed
    // when playback is interrupted were heard, so they still go out, ahead of the drop.
    if (!playing_ || output_.leadSectors() > 0) return;
    const int clock = clockFrameLocked();
    while (!ahead_.empty() && ahead_.front().frame < clock) {
        played_.push_back(std::move(ahead_.front()));
        ahead_.pop_front();
    }
}

void PlaybackEngine::restartLocked() {
    ++generation_;
    ++events_;
    frozen_ = false;
    starting_ = false;
    writtenAtRestart_ = written_;
    ahead_.clear();
    nextRead_ = startFrame_;
    dropPending_ = true;
}

void PlaybackEngine::setDisc(std::shared_ptr<DiscSource> disc) {
    std::shared_ptr<DiscSource> old;
    {
        std::lock_guard lock(mutex_);
        restartLocked();
        playing_ = false;
        old = std::exchange(disc_, disc);
        position_ = disc_ ? firstPlayable(disc_->toc()) : kLeadInFrames;
    }
    wake_.notify_all();
    // Outside the lock: a source's thread may be calling the waker, which takes it.
    if (old && old != disc) {
        old->setWaker({});
        old->release();
    }
    if (disc && old != disc) disc->setWaker([this] { wakeFromSource(); });
}

void PlaybackEngine::play(int from, int to) {
    {
        std::lock_guard lock(mutex_);
        if (!disc_) return;
        keepPlayedLocked();
        playing_ = true;
        startFrame_ = from;
        endFrame_ = to;
        startTime_ = clock_.now();
        restartLocked();
        starting_ = true;
    }
    wake_.notify_all();
}

void PlaybackEngine::stop() {
    std::shared_ptr<DiscSource> disc;
    {
        std::lock_guard lock(mutex_);
        if (!playing_) return;
        keepPlayedLocked();
        position_ = clockFrameLocked();
        playing_ = false;
        restartLocked();
        disc = disc_;
    }
    wake_.notify_all();
    if (disc) disc->release();
}

void PlaybackEngine::seek(int frame) {
    {
        std::lock_guard lock(mutex_);
        keepPlayedLocked();
        if (playing_) restartLocked();
        playing_ = false;
        position_ = frame;
        ++events_;
    }
    wake_.notify_all();
}

int PlaybackEngine::position() const {
    std::lock_guard lock(mutex_);
    return playing_ ? clockFrameLocked() : position_;
}

bool PlaybackEngine::isPlaying() const {
    std::lock_guard lock(mutex_);
    return playing_ && clockFrameLocked() < endFrame_;
}

void PlaybackEngine::setChannels(bool left, bool right) {
    std::lock_guard lock(mutex_);
    left_ = left;
    right_ = right;
}

long long PlaybackEngine::sectorsWritten() const {
    std::lock_guard lock(mutex_);
    return written_;
}

void PlaybackEngine::writeUnlocked(Sector& sector, bool left, bool right) {
    if (sector.preemphasis) {
        // The filter's memory belongs to the sound just before: after a jump it starts afresh.
        if (sector.frame != filteredUpTo_) deemphasis_.reset();
        deemphasis_.process(sector.samples.data(), kSamplesPerSector);
        filteredUpTo_ = sector.frame + 1;
    }
    if (!left || !right) {
        for (std::size_t i = 0; i + 1 < sector.samples.size(); i += 2) {
            if (!left) sector.samples[i] = 0;
            if (!right) sector.samples[i + 1] = 0;
        }
    }
    output_.write(sector.samples.data(), kSamplesPerSector);
}

void PlaybackEngine::recycleLocked(Sector&& sector) {
    // Enough for one wake's batch: sectors are read about as fast as they are written.
    if (spare_.size() < 8) spare_.push_back(std::move(sector.samples));
}

bool PlaybackEngine::stepLocked(std::unique_lock<std::mutex>& lock) {
    if (!played_.empty()) {
        Sector sector = std::move(played_.front());
        played_.pop_front();
        const bool left = left_;
        const bool right = right_;
        lock.unlock();
        writeUnlocked(sector, left, right);
        lock.lock();
        ++written_;
        recycleLocked(std::move(sector));
        return true;
    }
    if (!playing_ && dropPending_) {
        // Stopped: what the device still holds must not go on sounding.
        dropPending_ = false;
        lock.unlock();
        output_.drop();
        lock.lock();
        return true;
    }
    if (!playing_) return false;
    const int clock = clockFrameLocked();
    const int nextWrite = ahead_.empty() ? nextRead_ : ahead_.front().frame;
    if (nextWrite < clock - kMostBehind) {
        // Too late to be worth hearing: go on from where the clock is.
        ahead_.clear();
        nextRead_ = clock;
        dropPending_ = true;
        return true;
    }
    const unsigned generation = generation_;
    const int lead = output_.leadSectors();
    if (!ahead_.empty() && ahead_.front().frame < std::min(clock + lead, endFrame_)) {
        Sector sector = std::move(ahead_.front());
        ahead_.pop_front();
        const bool left = left_;
        const bool right = right_;
        const bool drop = std::exchange(dropPending_, false);
        lock.unlock();
        if (drop) output_.drop();
        writeUnlocked(sector, left, right);
        lock.lock();
        ++written_;
        recycleLocked(std::move(sector));
        return true;
    }
    if (nextRead_ < endFrame_ && ahead_.size() < kReadAhead) {
        Sector sector{nextRead_, {}};
        if (spare_.empty()) {
            sector.samples.resize(2 * kSamplesPerSector);
        } else {
            sector.samples = std::move(spare_.back());
            spare_.pop_back();
        }
        const std::shared_ptr<DiscSource> disc = disc_;  // may be replaced while reading
        const unsigned events = events_;
        lock.unlock();
        const DiscSource::Sector state = disc->fetchSector(sector.frame, sector.samples.data());
        if (state == DiscSource::Sector::Silent) {
            std::fill(sector.samples.begin(), sector.samples.end(), 0);
        }
        lock.lock();
        if (generation != generation_) return true;
        if (state != DiscSource::Sector::Later) {
            ++nextRead_;
            const Toc& toc = disc->toc();
            sector.preemphasis = toc.trackCount() > 0 &&
                                 toc.tracks[static_cast<std::size_t>(toc.trackAt(sector.frame) - 1)]
                                     .preemphasis;
            if (frozen_) {
                // The drive has the first sound: the clock starts now.
                frozen_ = false;
                startTime_ = clock_.now();
            }
            starting_ = false;
            ahead_.push_back(std::move(sector));
            return true;
        }
        recycleLocked(std::move(sector));
        if (starting_) {
            // Nothing has come since play: the position waits for the drive.
            if (!frozen_) {
                frozen_ = true;
                startFrame_ = nextRead_;
            }
        } else if (ahead_.empty() && nextRead_ + kLateGrace <= clock) {
            // The drive is behind: what it has not delivered by now plays as silence, and the
            // sound goes on with the clock.
            Sector silence{nextRead_++, std::vector<std::int16_t>(2 * kSamplesPerSector, 0)};
            ahead_.push_back(std::move(silence));
            return true;
        }
        waitingFor_ = nextRead_;
        return events != events_;  // something came while asking: ask again
    }
    if (clock >= endFrame_ && ahead_.empty()) {
        playing_ = false;
        position_ = endFrame_;
        return true;
    }
    return false;
}

void PlaybackEngine::pump() {
    std::unique_lock lock(mutex_);
    while (stepLocked(lock)) {
    }
}

std::chrono::nanoseconds PlaybackEngine::untilDueLocked() const {
    // Called when nothing is due: the read-ahead is full (or the disc read to its end) and the
    // first sector waiting is not yet wanted by the output; or the source has not delivered the
    // next sector yet (it wakes the thread when it does).
    if (frozen_) return std::chrono::seconds(1);
    const int lead = output_.leadSectors();
    if (ahead_.empty() && waitingFor_ == nextRead_ && nextRead_ < endFrame_) {
        const auto late = startTime_ + std::chrono::nanoseconds(
                                           (static_cast<long long>(nextRead_ + kLateGrace -
                                                                   startFrame_) *
                                                1'000'000'000 +
                                            kFramesPerSecond - 1) /
                                           kFramesPerSecond);
        return std::clamp<std::chrono::nanoseconds>(late - clock_.now(),
                                                    std::chrono::milliseconds(1),
                                                    std::chrono::seconds(1));
    }
    const int batch = written_ == writtenAtRestart_ ? 1
                      : lead > 0                     ? std::clamp(lead / 2, 1, kDeviceBatch)
                                                     : kPacedBatch;
    const int target =
        ahead_.empty() ? endFrame_ : std::min(ahead_.front().frame - lead + batch, endFrame_);
    const auto due = startTime_ + std::chrono::nanoseconds(
                                      (static_cast<long long>(target - startFrame_) * 1'000'000'000 +
                                       kFramesPerSecond - 1) /
                                      kFramesPerSecond);
    return std::clamp<std::chrono::nanoseconds>(due - clock_.now(), std::chrono::milliseconds(1),
                                                std::chrono::seconds(1));
}

void PlaybackEngine::run() {
    output_.prepare();
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (stepLocked(lock)) continue;
        const unsigned seen = events_;
        const auto woken = [&] { return events_ != seen; };
        if (playing_) {
            wake_.wait_for(lock, untilDueLocked(), woken);
        } else {
            wake_.wait(lock, woken);
        }
    }
}

}  // namespace corvina::cd
