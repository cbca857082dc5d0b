#pragma once
// A CD drive as the `cdaudio` command layer sees it.
//
// Addresses are absolute CD frames (1/75 s) counted from the start of the disc, lead-in
// included: on a pressed disc track 1 starts at frame 150 (00:02:00). Backends: `VirtualDrive`
// (disc images, CD rips and the built-in demo disc), `RealDrive` (a real drive through libcdio,
// or the model of one) and `FakeDrive` (scripted, for tests).
//
// Threading: every method is called from the UI thread and returns promptly. A backend that
// waits on hardware or streams audio does so on a thread of its own, behind its own lock.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace corvina::cd {

constexpr int kFramesPerSecond = 75;
constexpr int kLeadInFrames = 150;

struct TocTrack {
    int start = 0;             // absolute frame of the track's first sector
    bool audio = true;         // false for a data track (still counted as a track)
    bool preemphasis = false;  // mastered with pre-emphasis (50/15 us): played de-emphasised
};

struct Toc {
    std::vector<TocTrack> tracks;  // track n is tracks[n - 1]
    int leadOut = 0;               // absolute frame just past the last track
    // On a disc of two sessions (an enhanced CD: audio, then a data session), the frame just
    // past the first session's last sector; 0 on a disc of one session. The gap between the
    // sessions belongs to no track.
    int firstSessionEnd = 0;

    int trackCount() const { return static_cast<int>(tracks.size()); }
    // First frame of track n (1-based; n must exist).
    int trackStart(int n) const { return tracks[static_cast<std::size_t>(n - 1)].start; }
    // The frame just past track n: the next track's start, the first session's end for that
    // session's last track, the lead-out for the last one.
    int trackEnd(int n) const;
    // Frames of track n, from its start to its end.
    int trackLength(int n) const { return trackEnd(n) - trackStart(n); }
    // The track holding `frame`: the last one starting at or before it (1 before track 1,
    // the last track at or past the lead-out). 0 for a TOC without tracks.
    int trackAt(int frame) const;
    // Audio only ever plays from audio tracks: the first audio frame at or after `frame` (-1
    // when no audio follows), and the frame just past the audio that runs on from `frame` (the
    // next data track's start, the first session's end or the lead-out).
    int playableFrom(int frame) const;
    int audioRunEnd(int frame) const;
    // Trims a play of [from, to) to that audio; false (nothing changed) when none is left.
    bool trimToAudio(int& from, int& to) const;
    // The first frame that can be played, and the frames from there to the lead-out.
    int firstFrame() const { return tracks.empty() ? leadOut : tracks.front().start; }
    int discLength() const { return leadOut - firstFrame(); }
};

// Album and track names a disc carries in its CD-TEXT (empty when it has none).
struct CdText {
    QString performer;
    QString title;
    std::vector<QString> trackTitles;      // track n is trackTitles[n - 1]; may be shorter
    std::vector<QString> trackPerformers;  // likewise
};

class Drive {
public:
    Drive() = default;
    Drive(const Drive&) = delete;
    Drive& operator=(const Drive&) = delete;
    virtual ~Drive() = default;

    // "VENDOR MODEL" (or a name for a virtual drive), shown in the device list.
    virtual QString description() const = 0;

    // Tray. A virtual drive's tray works too: open means no media; closing brings the disc back.
    virtual bool isDoorOpen() const = 0;
    virtual void setDoorOpen(bool open) = 0;

    // The table of contents of a usable disc; nullopt with the door open, no disc, or a disc
    // that cannot be used (the backend says why once on stderr).
    virtual std::optional<Toc> toc() const = 0;

    // Plays frames [from, to) and stops by itself at `to`. False (nothing changes) when refused.
    virtual bool play(int from, int to) = 0;
    // Halts and keeps the position.
    virtual void stop() = 0;
    // Moves the position and leaves the drive stopped. False (nothing changes) when refused.
    virtual bool seek(int frame) = 0;
    // The current absolute frame, kept by the drive's own clock while it plays.
    virtual int position() const = 0;
    virtual bool isPlaying() const = 0;

    // Output switches: a channel that is off is silent.
    virtual void setChannels(bool left, bool right) = 0;

    // CD-TEXT of the disc in the drive, for the title database; nullopt when there is none.
    virtual std::optional<CdText> cdText() const { return std::nullopt; }

    // The drive's device went away (an unplugged drive): it answers as an empty drive for good.
    virtual bool gone() const { return false; }
};

// The volume serial of an audio disc as the platform's volume query reports it: the sum of the
// track starts packed as (m << 16) | (s << 8) | f, plus lead-out minus track 1 for fewer than
// three tracks. A TOC without tracks gives 0.
std::uint32_t discSerial(const Toc& toc);

}  // namespace corvina::cd
