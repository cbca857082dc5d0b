#pragma once
// A scripted drive for tests and headless runs: a disc of given track lengths, a tray, and a
// clock that moves only when the test says so. Switches make it misbehave like real hardware.
#include <optional>
#include <vector>

#include "platform/cd/Drive.h"

namespace corvina::cd {

class FakeDrive : public Drive {
public:
    // An audio disc whose track i lasts trackFrames[i] frames; track 1 starts at frame 150.
    explicit FakeDrive(std::vector<int> trackFrames = {}, QString description = "FAKE CD-ROM");

    // The disc in the drive (nullopt: no disc). A TOC with one track is a "data disc".
    void setDisc(std::optional<Toc> toc);
    static Toc makeToc(const std::vector<int>& trackFrames);

    // Switches.
    void setRefusePositions(bool refuse);  // every play and seek is refused
    void setVanished(bool vanished);       // the drive answers nothing: no disc, refuses all
    // What the disc's CD-TEXT says (nullopt: it has none).
    void setCdText(std::optional<CdText> text);

    // Moves the clock by `frames` while playing; playback stops by itself at its end frame.
    void advance(int frames);

    // What the tests look at.
    bool leftOn() const { return left_; }
    bool rightOn() const { return right_; }
    int playEnd() const { return playEnd_; }

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
    QString description_;
    std::optional<Toc> disc_;
    bool doorOpen_ = false;
    bool refuse_ = false;
    bool vanished_ = false;
    bool playing_ = false;
    int position_ = kLeadInFrames;
    int playEnd_ = 0;
    bool left_ = true;
    bool right_ = true;
    std::optional<CdText> text_;
};

}  // namespace corvina::cd
