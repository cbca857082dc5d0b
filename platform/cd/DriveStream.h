#pragma once
// A real drive's audio for the playback engine, read ahead on a thread of the stream's own, so
// that a drive that reads in real time (a spin-up, a seek, a sector it retries for seconds)
// never holds up the sound that is already there.
//
// Reading. From where playback asks, the stream reads a few sectors first (the first sound
// comes as soon as the drive has them), then steadily in commands of a third of a second, up
// to half a minute ahead of what was played: enough to play on through a scratch that costs
// the drive several seconds a sector. Only the audio is read: the stream stops at a data track
// and at the end of an enhanced CD's first session.
//
// Speed. While reading for playback the drive is asked for 2x, the slowest speed that leaves
// room for the buffer to refill; when it delivers less than 1.25x the audio rate over a second
// of audio read in order, the next faster speed is asked for: 4x, 8x, then the drive's own.
// Once playback has stopped, and when the disc goes, the drive gets its own speed back. A drive
// that refuses the speed command is not asked again.
//
// Scratches. A command that fails plays as silence and reading goes on after it; a second and
// third failure in a row skip a little further each time, so that a run of unreadable sectors
// costs the drive few slow failures and the player about its own length of silence. Soon after
// a start, when what is left of the read-ahead would not last through another failure, a
// failure skips a second at once: a little more silence rather than a longer one. The first
// unreadable sector of a disc is said once on stderr; a disc of which nothing can be read is
// said once through `onUnreadable`.
//
// Threading: `fetchSector`, `release` and `setWaker` are called by the playback thread, `settle`
// by the drive's thread, `speed` and `gone` from any thread; none of them waits for the drive.
// The reads happen on the stream's thread (or in `step`, made with `threaded` false) without the
// stream's lock.
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/cd/DiscSource.h"
#include "platform/cd/DriveDevice.h"
#include "platform/cd/PlaybackEngine.h"

namespace corvina::cd {

class DriveStream : public DiscSource {
public:
    // How far ahead the stream reads, in sectors.
    static constexpr int kDepth = 30 * kFramesPerSecond;

    // `handle` is the stream's own (no other thread uses it).
    DriveStream(Toc toc, std::unique_ptr<DeviceHandle> handle,
                const Clock& clock = Clock::system(), bool threaded = true);
    ~DriveStream() override;  // gives the drive its own speed back

    const Toc& toc() const override { return toc_; }
    // Waits for the sector (tests and tools; playback fetches).
    bool readSector(int frame, std::int16_t* out) override;
    Sector fetchSector(int frame, std::int16_t* out) override;
    void release() override;
    void setWaker(std::function<void()> wake) override;

    // Called about once a second by the drive's thread with whether the drive is playing; once
    // it is not, the drive gets its own speed back. Never waits for a read under way.
    void settle(bool playing);
    // Called once, on the stream's thread, when the first reads of the disc all failed.
    void onUnreadable(std::function<void()> tell);

    int speed() const;  // the speed last asked of the drive (0: its own)
    bool gone() const;  // the device went away under a read: nothing more comes

    // Without a thread: one piece of reading; false when there is nothing to do.
    bool step();

private:
    struct Chunk {
        int first = 0;
        int count = 0;
        bool silent = false;
        std::vector<std::int16_t> samples;  // empty when silent
    };
    struct Plan {  // a read decided under the lock, made without it
        int first = 0;
        int count = 0;
        int wantedSpeed = -1;  // -1: leave the speed alone
        unsigned request = 0;
        bool fresh = false;  // the first read since a move: its time is no measure of speed
    };
    int wantedSpeedLocked() const;
    bool workLocked() const;
    int roomLocked() const;  // sectors that may be read now
    void planLocked(Plan& plan);
    void retargetLocked(int frame);
    void finishLocked(const Plan& plan, ReadStatus status, std::vector<std::int16_t>&& samples,
                      std::chrono::nanoseconds took);
    void judgeLocked(int sectors, std::chrono::nanoseconds took);
    void publishLocked(Chunk&& chunk);
    void recycleLocked(std::vector<std::int16_t>&& samples);
    void wakeConsumer(std::unique_lock<std::mutex>& lock);
    void run();

    const Toc toc_;
    const Clock& clock_;
    std::unique_ptr<DeviceHandle> handle_;  // used without the lock, by the reading side only

    mutable std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable idle_;
    bool quit_ = false;
    bool wanted_ = false;     // reading ahead for playback
    bool giveBack_ = false;   // stopped playing: the drive gets its own speed back
    bool waking_ = false;     // the waker is being called
    unsigned request_ = 0;    // bumped when reading moves elsewhere
    std::deque<Chunk> held_;  // in order, without gaps, from `next_ - held` on
    int next_ = 0;            // the next frame to read
    int pending_ = -1;        // the first frame of the read under way (-1: none)
    int consumed_ = 0;        // frames before it were played
    int fresh_ = 0;           // sectors of the ramp after a move still to go
    int failures_ = 0;        // commands failed in a row
    int failedFrom_ = 0;      // where the first of them began
    bool everRead_ = false;
    int everFailed_ = 0;
    bool toldSkips_ = false;
    bool toldUnreadable_ = false;
    bool gone_ = false;
    std::function<void()> waker_;
    std::function<void()> tellUnreadable_;

    // The speed policy.
    int level_ = 0;
    int asked_ = 0;
    bool refused_ = false;
    int judged_ = 0;
    std::chrono::nanoseconds judgedTime_{};
    std::vector<std::vector<std::int16_t>> spare_;  // buffers of played chunks

    std::thread thread_;
};

}  // namespace corvina::cd
