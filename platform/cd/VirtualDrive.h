#pragma once
// A drive holding a disc that is not in a CD drive: a CD rip (a .cue sheet or a folder of
// .wav/.flac files), the built-in demo disc, or nothing. Its tray works: with the door open
// there is no media, and closing it brings the same disc back.
#include <QString>
#include <memory>

#include "platform/cd/Drive.h"
#include "platform/cd/PlaybackEngine.h"

namespace corvina::cd {

class VirtualDrive : public Drive {
public:
    // `disc` may be null (an empty drive). Without an engine the drive plays through the shared
    // sound output on a thread of its own.
    VirtualDrive(QString description, std::shared_ptr<DiscSource> disc,
                 std::unique_ptr<PlaybackEngine> engine = nullptr);
    ~VirtualDrive() override;

    // A drive holding the rip at `path` (a .cue file or a folder). A disc that cannot be used
    // leaves the drive empty; the reason is said once on stderr.
    static std::unique_ptr<VirtualDrive> forPath(const QString& path);
    static std::unique_ptr<VirtualDrive> withDemoDisc();

    // Puts `disc` in, as a disc inserted by hand: whatever played stops, the tray closes and
    // the new disc waits at its first track. `path` is the rip's (empty for the demo disc);
    // a null disc leaves the drive empty.
    void insert(std::shared_ptr<DiscSource> disc, const QString& path);
    // The rip in the drive, tray open or not (empty: none, or the demo disc).
    QString ripPath() const { return ripPath_; }

    QString description() const override;
    bool isDoorOpen() const override;
    void setDoorOpen(bool open) override;
    std::optional<Toc> toc() const override;
    bool play(int from, int to) override;
    void stop() override;
    bool seek(int frame) override;
    int position() const override;
    bool isPlaying() const override;
    void setChannels(bool left, bool right) override;
    std::optional<CdText> cdText() const override;

private:
    bool usable() const { return engine_ && disc_ && !doorOpen_; }

    QString description_;
    std::shared_ptr<DiscSource> disc_;
    std::unique_ptr<PlaybackEngine> engine_;
    QString ripPath_;
    bool doorOpen_ = false;
};

}  // namespace corvina::cd
