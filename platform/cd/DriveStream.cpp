#include "platform/cd/DriveStream.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace corvina::cd {
namespace {

constexpr int kSectorSamples = 2 * kSamplesPerSector;
// Commands of a third of a second: small enough that a failed one costs little sound, large
// enough that the drive streams rather than stutters.
constexpr int kChunk = 24;
// After a move the first commands are short, so the first sound comes with the first sectors.
constexpr std::array<int, 2> kRamp = {6, 12};
// A consumer this far past what was read is waited for; further, reading moves to it.
constexpr int kCatchUp = kFramesPerSecond;
// Sectors skipped after the second and after the third (and every further) failure in a row.
constexpr int kSkipSecond = 24;
constexpr int kSkipFurther = 40;
// ... and after any failure when what is left of the read-ahead would not last through another
// one like it (soon after a start): a second's jump, which clears most scratches in one go.
constexpr int kSkipTight = kFramesPerSecond;
// A disc whose first reads all fail this many times is taken to be unreadable.
constexpr int kUnreadableAfter = 3;

// Speeds tried in turn while playing; 0 is the drive's own (its fastest).
constexpr std::array<int, 4> kSpeeds = {2, 4, 8, 0};
// Reads are judged a second of audio at a time. Reading that second must take no more than
// 0.8 s (1.25x): slower, and a stall of a few seconds would drain the buffer for good.
constexpr int kJudged = kFramesPerSecond;
constexpr std::chrono::milliseconds kMostReading{800};

}  // namespace

DriveStream::DriveStream(Toc toc, std::unique_ptr<DeviceHandle> handle, const Clock& clock,
                         bool threaded)
    : toc_(std::move(toc)), clock_(clock), handle_(std::move(handle)) {
    next_ = consumed_ = toc_.firstFrame();
    fresh_ = static_cast<int>(kRamp.size());
    if (threaded) thread_ = std::thread([this] { run(); });
}

DriveStream::~DriveStream() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    work_.notify_all();
    if (thread_.joinable()) thread_.join();
    if (asked_ != 0 && !refused_ && !gone_) handle_->setSpeed(0);
}

void DriveStream::retargetLocked(int frame) {
    ++request_;
    for (Chunk& chunk : held_)
        recycleLocked(std::move(chunk.samples));
    held_.clear();
    next_ = consumed_ = frame;
    pending_ = -1;
    fresh_ = static_cast<int>(kRamp.size());
    failures_ = 0;
}

DiscSource::Sector DriveStream::fetchSector(int frame, std::int16_t* out) {
    std::unique_lock lock(mutex_);
    // Only audio is read: anything else plays as silence.
    if (toc_.audioRunEnd(frame) <= frame || gone_) {
        std::fill(out, out + kSectorSamples, 0);
        return Sector::Silent;
    }
    wanted_ = true;
    giveBack_ = false;
    // Held, or on its way: frames from `heldStart` to `next_`.
    const int heldStart = !held_.empty() ? held_.front().first : pending_ >= 0 ? pending_ : next_;
    const int heldEnd = held_.empty() ? next_ : held_.back().first + held_.back().count;
    if (frame < heldStart || frame > std::max(heldEnd, next_) + kCatchUp) {
        retargetLocked(frame);
        lock.unlock();
        work_.notify_all();
        return Sector::Later;
    }
    // Reading waits for room for a whole command; this fetch may make it.
    const bool roomAgain = next_ - consumed_ > kDepth - kChunk && next_ - frame <= kDepth - kChunk;
    consumed_ = std::max(consumed_, frame);
    while (!held_.empty() && held_.front().first + held_.front().count <= frame) {
        recycleLocked(std::move(held_.front().samples));
        held_.pop_front();
    }
    if (held_.empty() || frame < held_.front().first) {
        lock.unlock();
        work_.notify_all();  // the reader may be waiting for room, or for the speed
        return Sector::Later;
    }
    const Chunk& chunk = held_.front();
    if (chunk.silent) {
        std::fill(out, out + kSectorSamples, 0);
        lock.unlock();
        if (roomAgain) work_.notify_all();
        return Sector::Silent;
    }
    const auto* from =
        chunk.samples.data() + static_cast<std::ptrdiff_t>(frame - chunk.first) * kSectorSamples;
    std::copy(from, from + kSectorSamples, out);
    lock.unlock();
    if (roomAgain) work_.notify_all();
    return Sector::Ready;
}

bool DriveStream::readSector(int frame, std::int16_t* out) {
    for (;;) {
        const Sector state = fetchSector(frame, out);
        if (state != Sector::Later) return state == Sector::Ready;
        if (!thread_.joinable()) {
            if (!step()) return false;
            continue;
        }
        std::unique_lock lock(mutex_);
        idle_.wait_for(lock, std::chrono::milliseconds(20));
    }
}

void DriveStream::release() {
    std::lock_guard lock(mutex_);
    wanted_ = false;
}

void DriveStream::setWaker(std::function<void()> wake) {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !waking_; });
    waker_ = std::move(wake);
}

void DriveStream::onUnreadable(std::function<void()> tell) {
    std::lock_guard lock(mutex_);
    tellUnreadable_ = std::move(tell);
}

void DriveStream::settle(bool playing) {
    {
        std::lock_guard lock(mutex_);
        if (playing) return;
        level_ = 0;  // the next play starts quiet again
        giveBack_ = true;
    }
    work_.notify_all();  // an idle reader gives the drive its speed back
}

int DriveStream::speed() const {
    std::lock_guard lock(mutex_);
    return asked_;
}

bool DriveStream::gone() const {
    std::lock_guard lock(mutex_);
    return gone_;
}

int DriveStream::wantedSpeedLocked() const {
    if (refused_) return asked_;
    if (wanted_) return kSpeeds[static_cast<std::size_t>(level_)];
    return giveBack_ ? 0 : asked_;
}

bool DriveStream::workLocked() const {
    if (gone_) return false;
    if (wantedSpeedLocked() != asked_) return true;
    return wanted_ && roomLocked() > 0;
}

int DriveStream::roomLocked() const {
    // Reading waits for room for a whole command rather than reading a sector at a time.
    const int left = toc_.audioRunEnd(next_) - next_;
    const int room = kDepth - (next_ - consumed_);
    return left <= 0 || room < std::min(kChunk, left) ? 0 : std::min(left, room);
}

void DriveStream::planLocked(Plan& plan) {
    plan = {};
    plan.request = request_;
    if (const int speed = wantedSpeedLocked(); speed != asked_) plan.wantedSpeed = speed;
    const int room = roomLocked();
    if (!wanted_ || room == 0) return;
    const int ramp = fresh_ > 0 ? kRamp[kRamp.size() - static_cast<std::size_t>(fresh_)] : kChunk;
    plan.fresh = fresh_ == static_cast<int>(kRamp.size());
    if (fresh_ > 0) --fresh_;
    plan.first = next_;
    plan.count = std::min(ramp, room);
    next_ += plan.count;
    pending_ = plan.first;
}

void DriveStream::judgeLocked(int sectors, std::chrono::nanoseconds took) {
    if (refused_ || level_ + 1 >= static_cast<int>(kSpeeds.size())) return;
    judged_ += sectors;
    judgedTime_ += took;
    if (judged_ < kJudged) return;
    // Scaled to one second of audio.
    if (judgedTime_ * kJudged / judged_ > kMostReading) ++level_;
    judged_ = 0;
    judgedTime_ = {};
}

void DriveStream::recycleLocked(std::vector<std::int16_t>&& samples) {
    // A few, for the next reads; the rest of a dropped read-ahead goes back to the system.
    if (!samples.empty() && spare_.size() < 4) spare_.push_back(std::move(samples));
}

void DriveStream::publishLocked(Chunk&& chunk) {
    // What the consumer has passed meanwhile is of no use any more.
    if (chunk.first + chunk.count <= consumed_) {
        recycleLocked(std::move(chunk.samples));
        return;
    }
    held_.push_back(std::move(chunk));
}

void DriveStream::finishLocked(const Plan& plan, ReadStatus status,
                               std::vector<std::int16_t>&& samples, std::chrono::nanoseconds took) {
    if (status == ReadStatus::Unreadable) {
        ++everFailed_;
        if (!toldSkips_) {
            toldSkips_ = true;
            std::fprintf(stderr, "Corvina: CD drive: some sectors cannot be read; they play as "
                                 "silence.\n");
        }
    }
    if (plan.request != request_) {  // reading moved elsewhere while this one was under way
        recycleLocked(std::move(samples));
        return;
    }
    if (status == ReadStatus::Gone) {
        gone_ = true;
        wanted_ = false;
        return;
    }
    if (status == ReadStatus::Ok) {
        everRead_ = true;
        failures_ = 0;
        if (!plan.fresh) judgeLocked(plan.count, took);
        publishLocked({plan.first, plan.count, false, std::move(samples)});
        return;
    }
    recycleLocked(std::move(samples));
    if (++failures_ == 1) failedFrom_ = plan.first;
    int skip = failures_ == 1 ? 0 : failures_ == 2 ? kSkipSecond : kSkipFurther;
    const auto ahead = std::chrono::nanoseconds(static_cast<long long>(plan.first - consumed_) *
                                                1'000'000'000 / kFramesPerSecond);
    // The jump reaches a second past the failed command that began the run, wherever the
    // schedule had got to.
    if (ahead < took + std::chrono::seconds(1))
        skip = std::max(skip, failedFrom_ + kChunk + kSkipTight - next_);
    const int end = toc_.audioRunEnd(plan.first);
    const int skipped = std::min(skip, std::max(0, end - next_));
    publishLocked({plan.first, plan.count + skipped, true, {}});
    next_ += skipped;
}

void DriveStream::wakeConsumer(std::unique_lock<std::mutex>& lock) {
    if (!waker_) return;
    const std::function<void()> wake = waker_;
    waking_ = true;
    lock.unlock();
    wake();
    lock.lock();
    waking_ = false;
    idle_.notify_all();
}

bool DriveStream::step() {
    std::unique_lock lock(mutex_);
    if (quit_ || !workLocked()) return false;
    Plan plan;
    planLocked(plan);
    std::vector<std::int16_t> samples;
    if (plan.count > 0) {
        if (spare_.empty()) {
            samples.resize(static_cast<std::size_t>(kChunk) * kSectorSamples);
        } else {
            samples = std::move(spare_.back());
            spare_.pop_back();
        }
        samples.resize(static_cast<std::size_t>(plan.count) * kSectorSamples);
    }
    lock.unlock();

    if (plan.wantedSpeed >= 0) {
        const bool taken = handle_->setSpeed(plan.wantedSpeed);
        lock.lock();
        // Images and some drives have no speed to set: they are read as they come.
        if (!taken) refused_ = true;
        asked_ = taken ? plan.wantedSpeed : 0;
        judged_ = 0;
        judgedTime_ = {};
        lock.unlock();
    }
    ReadStatus status = ReadStatus::Ok;
    std::chrono::nanoseconds took{};
    if (plan.count > 0) {
        const std::chrono::nanoseconds begin = clock_.now();
        status = handle_->readAudio(plan.first - kLeadInFrames, plan.count, samples.data());
        took = clock_.now() - begin;
    }

    lock.lock();
    if (plan.request == request_) pending_ = -1;
    if (plan.count > 0) finishLocked(plan, status, std::move(samples), took);
    std::function<void()> tell;
    if (!everRead_ && everFailed_ >= kUnreadableAfter && !toldUnreadable_) {
        toldUnreadable_ = true;
        tell = tellUnreadable_;
    }
    if (plan.count > 0) wakeConsumer(lock);
    lock.unlock();
    if (tell) tell();
    return true;
}

void DriveStream::run() {
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (!workLocked()) {
            // The next fetch, release or settle wakes the thread.
            work_.wait(lock);
            continue;
        }
        lock.unlock();
        step();
        lock.lock();
    }
}

}  // namespace corvina::cd
