#pragma once
// A mixer layer for tests: devices described by the test (MixerModel.h), with switches that make
// it misbehave the way real drivers do. Every call is counted.
//
// UI thread only.
#include <set>
#include <utility>

#include "platform/mixer/MixerModel.h"

namespace corvina::mixer {

class FakeMixer : public ModelMixer {
public:
    // A device with one destination of `sources` source lines, each line with a two-channel
    // volume control and a mute control (all values 0).
    static DeviceModel simpleDevice(int sources);

    // Fault switches.
    MMRESULT openResult = MMSYSERR_NOERROR;  // what open answers (not NOERROR: it fails)
    std::set<std::pair<unsigned, int>> failingLines;  // (destination, source or -1) to refuse
    bool failControlQueries = false;  // getLineControls fails
    bool failReads = false;           // getControlDetails fails
    bool failWrites = false;          // setControlDetails fails
    // The device is gone: every call on its handles fails with MMSYSERR_NODRIVER and open
    // handles are told by a line change of destination 0.
    void vanish(unsigned device);

    // Calls made, by kind.
    int opens = 0;
    int closes = 0;
    int reads = 0;
    int writes = 0;

    MMRESULT open(HMIXER* mixer, unsigned device, QObject* receiver, std::uint32_t flags) override;
    MMRESULT close(HMIXER mixer) override;
    MMRESULT getLineInfo(HMIXER mixer, MixerLine* line, std::uint32_t flags) override;
    MMRESULT getLineControls(HMIXER mixer, MixerLineControls* controls,
                             std::uint32_t flags) override;
    MMRESULT getControlDetails(HMIXER mixer, MixerControlDetails* details,
                               std::uint32_t flags) override;
    MMRESULT setControlDetails(HMIXER mixer, MixerControlDetails* details,
                               std::uint32_t flags) override;

private:
    bool gone(HMIXER mixer);
    std::set<unsigned> vanished_;
};

}  // namespace corvina::mixer
