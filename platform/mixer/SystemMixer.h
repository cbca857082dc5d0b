#pragma once
// The system's mixer: one device, the default output, laid out as a sound card's mixer would be.
// Destination 0 is the speakers; its source lines, in this order, are
//   0 "Wave", 1 "SW Synth", 2 "Line In", 3 "Microphone", 4 "Auxiliary", 5 "CD Audio".
// "CD Audio" (connection position 5) is the player's own CD output (CdLine): a two-channel
// volume and a mute, applied to the PCM the drive plays. The other sources stand for the card's
// inputs and carry no controls of their own. The destination's volume and mute are the card's
// master level (AlsaMaster) when a card is there; without one, the destination has no controls
// and the CD line works all the same.
//
// UI thread only.
#include <memory>
#include <string>

#include "platform/audio/Gain.h"
#include "platform/mixer/AlsaMaster.h"
#include "platform/mixer/CdLine.h"
#include "platform/mixer/MixerModel.h"

namespace corvina::mixer {

class SystemMixer : public ModelMixer {
public:
    static constexpr int kCdSource = 5;

    // `path`: the CD line's level file; `gain`: where its levels take effect; `card`: the ALSA
    // card of the master level, empty for none.
    SystemMixer(const QString& path, audio::Gain& gain, const std::string& card);
    ~SystemMixer() override;

    CdLine& cdLine() { return *cdLine_; }
    bool hasMaster() const { return master_ != nullptr; }

    // Closing the last handle writes the CD line's levels at once.
    MMRESULT close(HMIXER mixer) override;

    // The ALSA card that goes with a CORVINA_AUDIO choice ("" for null and WAV capture).
    static std::string cardFor(const std::string& audioChoice);

private:
    std::unique_ptr<CdLine> cdLine_;
    std::unique_ptr<AlsaMaster> master_;
};

}  // namespace corvina::mixer
