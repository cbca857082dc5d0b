#pragma once
// A real drive's audio read at a low, steady speed while it plays, so it neither roars at full
// speed nor spins up and down between bursts.
//
// While sectors are being read for playback the drive is asked for 2x, the slowest speed that
// leaves room for the player's two-second buffer to refill after a stall; when the drive cannot
// keep up at that speed (a scratched disc, a drive whose slowest speed is slower than asked) the
// next faster one is asked for: 4x, 8x, then the drive's own. The reads themselves come one
// sector as each is played (the playback engine keeps its buffer topped up), a steady stream.
// Once playback has stopped, and when the disc goes, the drive gets its own speed back. A drive
// that refuses the speed command is not asked again and plays as before.
//
// Threading: `readSector` runs on the playback thread, `settle` on the drive's own thread; both
// may block on the drive and are serialised by the reader's lock. `toc` and `speed` any thread.
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/cd/DiscSource.h"
#include "platform/cd/PlaybackEngine.h"

namespace corvina::cd {

// The drive's side of the reading (libcdio for a real drive, a fake in tests).
class SectorReader {
public:
    SectorReader() = default;
    SectorReader(const SectorReader&) = delete;
    SectorReader& operator=(const SectorReader&) = delete;
    virtual ~SectorReader() = default;
    // Asks the drive to read at `times` the audio rate (1x = 75 sectors a second); 0 gives the
    // drive its own speed back. False when the drive refuses. May block.
    virtual bool setSpeed(int times) = 0;
    // Reads the audio of absolute frame `frame` (588 stereo frames). False when unreadable.
    // May block.
    virtual bool read(int frame, std::int16_t* out) = 0;
};

class QuietReader : public DiscSource {
public:
    QuietReader(Toc toc, std::unique_ptr<SectorReader> reader,
                const Clock& clock = Clock::system());
    ~QuietReader() override;  // gives the drive its own speed back

    const Toc& toc() const override { return toc_; }
    bool readSector(int frame, std::int16_t* out) override;

    // Called about once a second by the drive's thread with whether the drive is playing; once
    // it is not, the drive gets its own speed back. Never waits for a read under way.
    void settle(bool playing);

    // The speed last asked of the drive (0: its own).
    int speed() const;

private:
    void askLocked(int times);

    const Toc toc_;
    const Clock& clock_;
    mutable std::mutex mutex_;  // the reader and everything below
    std::unique_ptr<SectorReader> reader_;
    int level_ = 0;  // index into the speeds tried while playing
    int asked_ = 0;  // what the drive was last asked for (0: its own, as it starts)
    bool refused_ = false;
    int judged_ = 0;                      // sectors read since the speed was last judged
    std::chrono::nanoseconds reading_{};  // time spent reading them
};

}  // namespace corvina::cd
