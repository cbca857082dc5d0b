#include "platform/mixer/FakeMixer.h"

namespace corvina::mixer {

DeviceModel FakeMixer::simpleDevice(int sources) {
    auto lineWith = [](std::uint32_t type, const char* name) {
        LineModel line;
        line.record.dwComponentType = type;
        line.record.cChannels = 2;
        line.record.fdwLine = kLineActive;
        setName(line.record.szShortName, name);
        setName(line.record.szName, name);
        line.controls.push_back(storedControl(kVolumeControl, 0, 2, 0, "Volume"));
        line.controls.push_back(storedControl(kMuteControl, kControlUniform, 2, 0, "Mute"));
        return line;
    };
    DeviceModel device;
    setName(device.caps.szPname, "Fake mixer");
    DestinationModel dest;
    dest.line = lineWith(kDstSpeakers, "Speakers");
    for (int s = 0; s < sources; ++s) dest.sources.push_back(lineWith(kSrcLine + unsigned(s), "In"));
    device.destinations.push_back(std::move(dest));
    return device;
}

void FakeMixer::vanish(unsigned device) {
    vanished_.insert(device);
    notify(device, kLineChange, lineId(0, -1));
}

bool FakeMixer::gone(HMIXER mixer) {
    unsigned number = 0;
    return deviceOf(mixer, &number) && vanished_.count(number);
}

MMRESULT FakeMixer::open(HMIXER* mixer, unsigned device, QObject* receiver, std::uint32_t flags) {
    ++opens;
    if (openResult != MMSYSERR_NOERROR) {
        if (mixer) *mixer = 0;
        return openResult;
    }
    if (vanished_.count(device)) return MMSYSERR_NODRIVER;
    return ModelMixer::open(mixer, device, receiver, flags);
}

MMRESULT FakeMixer::close(HMIXER mixer) {
    ++closes;
    return ModelMixer::close(mixer);
}

MMRESULT FakeMixer::getLineInfo(HMIXER mixer, MixerLine* line, std::uint32_t flags) {
    if (gone(mixer)) return MMSYSERR_NODRIVER;
    if (line && (flags == kLineByDestination || flags == kLineBySource)) {
        const int source = flags == kLineBySource ? int(line->dwSource) : -1;
        if (failingLines.count({line->dwDestination, source})) return MIXERR_INVALLINE;
    }
    return ModelMixer::getLineInfo(mixer, line, flags);
}

MMRESULT FakeMixer::getLineControls(HMIXER mixer, MixerLineControls* controls,
                                    std::uint32_t flags) {
    if (gone(mixer)) return MMSYSERR_NODRIVER;
    if (failControlQueries) return MMSYSERR_ERROR;
    return ModelMixer::getLineControls(mixer, controls, flags);
}

MMRESULT FakeMixer::getControlDetails(HMIXER mixer, MixerControlDetails* details,
                                      std::uint32_t flags) {
    ++reads;
    if (gone(mixer)) return MMSYSERR_NODRIVER;
    if (failReads) return MMSYSERR_ERROR;
    return ModelMixer::getControlDetails(mixer, details, flags);
}

MMRESULT FakeMixer::setControlDetails(HMIXER mixer, MixerControlDetails* details,
                                      std::uint32_t flags) {
    ++writes;
    if (gone(mixer)) return MMSYSERR_NODRIVER;
    if (failWrites) return MMSYSERR_ERROR;
    return ModelMixer::setControlDetails(mixer, details, flags);
}

}  // namespace corvina::mixer
