#pragma once
// Plays a disc's sectors to the sound output and keeps the position by its own clock.
//
// Tracks flagged as mastered with pre-emphasis are played through a de-emphasis filter; the
// others go out sample for sample as read.
//
// The position is the clock's: while playing it is the start frame plus the time elapsed since
// play began, so it runs right whether the sound device is slow, failing or missing. A playback
// thread reads sectors ahead (up to two seconds) and hands each to the output when the clock
// reaches it (ahead by the output's lead for a real device), silencing the channels that are
// off. When the thread falls more than a second behind (a slow read, a stalled device) it skips
// to the clock rather than playing stale sound late. The thread sleeps until the output next
// wants sound (a few sectors at a time), not on a fixed beat.
//
// Threading: the control calls (play, stop, seek, position, ...) come from the UI thread and only
// take the engine's lock briefly; reads and writes happen on the playback thread without it.
// Made with `threaded` false (tests, benchmarks), nothing runs until `pump` is called.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio/AudioOutput.h"
#include "platform/audio/Deemphasis.h"
#include "platform/cd/DiscSource.h"

namespace corvina::cd {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::chrono::nanoseconds now() const = 0;
    // Lets `time` pass on this clock: a drive that is busy for that long (a model of one; the
    // system's clock sleeps).
    virtual void sleepFor(std::chrono::nanoseconds time) const;
    static const Clock& system();  // std::chrono::steady_clock
};

class PlaybackEngine {
public:
    // `disc` may be null (nothing to play until setDisc).
    PlaybackEngine(std::shared_ptr<DiscSource> disc, audio::AudioOutput& output,
                   const Clock& clock = Clock::system(), bool threaded = true);
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;
    ~PlaybackEngine();

    // Puts another disc in (null: none): stopped at its first track.
    void setDisc(std::shared_ptr<DiscSource> disc);
    // Plays [from, to) and stops by itself at `to`.
    void play(int from, int to);
    // Halts and keeps the position.
    void stop();
    // Moves the position, stopped.
    void seek(int frame);
    // A source that reads ahead on its own thread may not have a sector yet: the position then
    // waits at the start of a play until the first sector comes (a drive spinning up), and
    // later sectors that come too late play as silence while the clock runs on.
    int position() const;
    bool isPlaying() const;
    void setChannels(bool left, bool right);

    // Without a thread: does the reading and writing due at the clock's present time.
    void pump();
    // Sectors handed to the output so far (benchmarks compare it with the position).
    long long sectorsWritten() const;

private:
    struct Sector {
        int frame;
        std::vector<std::int16_t> samples;
        bool preemphasis = false;  // of a track mastered with pre-emphasis
    };
    int clockFrameLocked() const;
    // Wakes the playback thread: the source's waker (takes the lock).
    void wakeFromSource();
    void keepPlayedLocked();
    void restartLocked();
    // How long the thread may sleep before the output wants its next sectors.
    std::chrono::nanoseconds untilDueLocked() const;
    // De-emphasises a pre-emphasised track's sector, silences the channels that are off and
    // hands the sector to the output (without the lock; the playback thread's).
    void writeUnlocked(Sector& sector, bool left, bool right);
    // Keeps a written sector's buffer for a later read.
    void recycleLocked(Sector&& sector);
    // One piece of work; false when nothing is due. Releases the lock around I/O.
    bool stepLocked(std::unique_lock<std::mutex>& lock);
    void run();

    std::shared_ptr<DiscSource> disc_;
    audio::AudioOutput& output_;
    const Clock& clock_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    bool playing_ = false;
    int position_;        // while stopped
    int startFrame_ = 0;  // while playing: frame at startTime_
    std::chrono::nanoseconds startTime_{};
    int endFrame_ = 0;
    bool left_ = true;
    bool right_ = true;
    unsigned generation_ = 0;  // bumped by every play, stop and seek
    unsigned events_ = 0;      // bumped by everything that wakes the thread
    bool starting_ = false;    // playing, and no sector has come since play
    bool frozen_ = false;      // the clock waits at startFrame_ for the first sector
    int waitingFor_ = -1;      // the frame the source answered Later for
    bool dropPending_ = false;
    int nextRead_ = 0;
    std::deque<Sector> ahead_;
    std::deque<Sector> played_;  // passed by the clock before an interruption, still to write
    std::vector<std::vector<std::int16_t>> spare_;  // buffers of written sectors
    // The playback thread's own: the de-emphasis and where its state came from.
    audio::Deemphasis deemphasis_;
    int filteredUpTo_ = -1;  // the frame after the last sector through the filter
    long long written_ = 0;
    long long writtenAtRestart_ = 0;  // written_ at the last play, stop or seek
    std::thread thread_;
};

}  // namespace corvina::cd
