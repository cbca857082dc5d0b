#include "platform/mixer/MixerModel.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstring>
#include <memory>

namespace corvina::mixer {

QEvent::Type MixerMessage::type() {
    static const QEvent::Type kType = QEvent::Type(QEvent::registerEventType());
    return kType;
}

ControlModel storedControl(std::uint32_t type, std::uint32_t flags, unsigned channels,
                           unsigned items, const char* name, std::uint32_t initial) {
    ControlModel control;
    control.record.dwControlType = type;
    control.record.fdwControl = flags;
    control.record.cMultipleItems = items;
    setName(control.record.szShortName, name);
    setName(control.record.szName, name);
    if (type == kVolumeControl) {
        control.record.Bounds.dwMaximum = 65535;
        control.record.Metrics.cSteps = 65536;
    } else {
        control.record.Bounds.dwMaximum = 1;
    }
    control.channels = (flags & kControlUniform) ? 1 : std::max(1u, channels);
    auto values = std::make_shared<std::vector<std::uint32_t>>(
        std::size_t(control.channels) * std::max(1u, items), initial);
    control.read = [values](std::vector<std::uint32_t>& out) {
        out = *values;
        return MMSYSERR_NOERROR;
    };
    control.write = [values](const std::vector<std::uint32_t>& in) {
        *values = in;
        return MMSYSERR_NOERROR;
    };
    return control;
}

std::uint32_t ModelMixer::lineId(unsigned destination, int source) {
    return std::uint32_t(destination) << 16 | std::uint32_t(source + 1);
}

unsigned ModelMixer::addDevice(DeviceModel device) {
    std::uint32_t nextControl = 1;
    auto layOut = [&](LineModel& line, unsigned d, int s) {
        line.record.cbStruct = sizeof(MixerLine);
        line.record.dwDestination = d;
        line.record.dwSource = s < 0 ? 0 : std::uint32_t(s);
        line.record.dwLineID = lineId(d, s);
        line.record.cControls = std::uint32_t(line.controls.size());
        if (s >= 0) line.record.fdwLine |= kLineSource;
        for (ControlModel& control : line.controls) {
            control.record.cbStruct = sizeof(MixerControl);
            control.record.dwControlID = nextControl++;
        }
    };
    device.caps.cDestinations = std::uint32_t(device.destinations.size());
    for (unsigned d = 0; d < device.destinations.size(); ++d) {
        DestinationModel& dest = device.destinations[d];
        layOut(dest.line, d, -1);
        dest.line.record.cConnections = std::uint32_t(dest.sources.size());
        for (unsigned s = 0; s < dest.sources.size(); ++s) layOut(dest.sources[s], d, int(s));
    }
    devices_.push_back(std::move(device));
    return unsigned(devices_.size() - 1);
}

std::uint32_t ModelMixer::controlId(unsigned device, unsigned destination, int source,
                                    unsigned index) const {
    const DestinationModel& dest = devices_.at(device).destinations.at(destination);
    const LineModel& line = source < 0 ? dest.line : dest.sources.at(std::size_t(source));
    return line.controls.at(index).record.dwControlID;
}

void ModelMixer::notify(unsigned device, unsigned message, std::uint32_t id) {
    for (const auto& [handle, h] : handles_)
        if (h.device == device && h.receiver)
            QCoreApplication::postEvent(h.receiver, new MixerMessage(message, handle, id));
}

int ModelMixer::openHandles(unsigned device) const {
    return int(std::count_if(handles_.begin(), handles_.end(),
                             [device](const auto& entry) { return entry.second.device == device; }));
}

unsigned ModelMixer::getNumDevs() {
    return unsigned(devices_.size());
}

MMRESULT ModelMixer::open(HMIXER* mixer, unsigned device, QObject* receiver,
                          std::uint32_t flags) {
    if (!mixer) return MMSYSERR_INVALPARAM;
    *mixer = 0;
    if (device >= devices_.size()) return MMSYSERR_BADDEVICEID;
    if (flags & ~kCallbackWindow) return MMSYSERR_INVALFLAG;
    const HMIXER handle = nextHandle_++;
    handles_[handle] = {device, (flags & kCallbackWindow) ? receiver : nullptr};
    *mixer = handle;
    return MMSYSERR_NOERROR;
}

MMRESULT ModelMixer::close(HMIXER mixer) {
    return handles_.erase(mixer) ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}

MMRESULT ModelMixer::getDevCaps(unsigned device, MixerCaps* caps, unsigned size) {
    if (device >= devices_.size()) return MMSYSERR_BADDEVICEID;
    if (!caps) return MMSYSERR_INVALPARAM;
    std::memcpy(caps, &devices_[device].caps, std::min<std::size_t>(size, sizeof(MixerCaps)));
    return MMSYSERR_NOERROR;
}

DeviceModel* ModelMixer::deviceOf(HMIXER mixer, unsigned* number) {
    const auto it = handles_.find(mixer);
    if (it == handles_.end()) return nullptr;
    if (number) *number = it->second.device;
    return &devices_[it->second.device];
}

LineModel* ModelMixer::findLine(DeviceModel& device, std::uint32_t id) {
    const unsigned d = id >> 16;
    const unsigned s = id & 0xFFFF;
    if (d >= device.destinations.size()) return nullptr;
    DestinationModel& dest = device.destinations[d];
    if (s == 0) return &dest.line;
    return s <= dest.sources.size() ? &dest.sources[s - 1] : nullptr;
}

ControlModel* ModelMixer::findControl(DeviceModel& device, std::uint32_t id, LineModel** line) {
    auto search = [&](LineModel& l) -> ControlModel* {
        for (ControlModel& c : l.controls)
            if (c.record.dwControlID == id) {
                if (line) *line = &l;
                return &c;
            }
        return nullptr;
    };
    for (DestinationModel& dest : device.destinations) {
        if (ControlModel* c = search(dest.line)) return c;
        for (LineModel& source : dest.sources)
            if (ControlModel* c = search(source)) return c;
    }
    return nullptr;
}

MMRESULT ModelMixer::getLineInfo(HMIXER mixer, MixerLine* line, std::uint32_t flags) {
    DeviceModel* device = deviceOf(mixer);
    if (!device) return MMSYSERR_INVALHANDLE;
    if (!line || line->cbStruct != sizeof(MixerLine)) return MMSYSERR_INVALPARAM;
    const LineModel* found = nullptr;
    switch (flags) {
        case kLineByDestination:
            if (line->dwDestination < device->destinations.size())
                found = &device->destinations[line->dwDestination].line;
            break;
        case kLineBySource:
            if (line->dwDestination < device->destinations.size()) {
                const auto& sources = device->destinations[line->dwDestination].sources;
                if (line->dwSource < sources.size()) found = &sources[line->dwSource];
            }
            break;
        case kLineById:
            found = findLine(*device, line->dwLineID);
            break;
        default:
            return MMSYSERR_INVALFLAG;
    }
    if (!found) return MIXERR_INVALLINE;
    *line = found->record;
    return MMSYSERR_NOERROR;
}

MMRESULT ModelMixer::getLineControls(HMIXER mixer, MixerLineControls* controls,
                                     std::uint32_t flags) {
    DeviceModel* device = deviceOf(mixer);
    if (!device) return MMSYSERR_INVALHANDLE;
    if (!controls || controls->cbStruct != sizeof(MixerLineControls) ||
        controls->cbmxctrl != sizeof(MixerControl) || !controls->pamxctrl)
        return MMSYSERR_INVALPARAM;
    LineModel* line = nullptr;
    switch (flags) {
        case kControlsAll:
            line = findLine(*device, controls->dwLineID);
            if (!line) return MIXERR_INVALLINE;
            if (controls->cControls == 0 || controls->cControls != line->controls.size())
                return MMSYSERR_INVALPARAM;
            for (std::size_t i = 0; i < line->controls.size(); ++i)
                controls->pamxctrl[i] = line->controls[i].record;
            return MMSYSERR_NOERROR;
        case kControlById: {
            ControlModel* control = findControl(*device, controls->dwControlID, &line);
            if (!control) return MIXERR_INVALCONTROL;
            controls->dwLineID = line->record.dwLineID;
            *controls->pamxctrl = control->record;
            return MMSYSERR_NOERROR;
        }
        case kControlByType:
            line = findLine(*device, controls->dwLineID);
            if (!line) return MIXERR_INVALLINE;
            for (const ControlModel& control : line->controls)
                if (control.record.dwControlType == controls->dwControlType) {
                    *controls->pamxctrl = control.record;
                    return MMSYSERR_NOERROR;
                }
            return MIXERR_INVALCONTROL;
        default:
            return MMSYSERR_INVALFLAG;
    }
}

namespace {

// Checks a details record against its control; the number of values it carries, or 0.
std::size_t detailsCount(const MixerControlDetails& details, const ControlModel& control) {
    if (details.cbStruct != sizeof(MixerControlDetails) || details.cbDetails != 4 ||
        !details.paDetails)
        return 0;
    if (details.cChannels != 1 && details.cChannels != control.channels) return 0;
    const bool multiple = control.record.fdwControl & kControlMultiple;
    if (details.cMultipleItems != (multiple ? control.record.cMultipleItems : 0)) return 0;
    return std::size_t(details.cChannels) * std::max(1u, details.cMultipleItems);
}

}  // namespace

MMRESULT ModelMixer::getControlDetails(HMIXER mixer, MixerControlDetails* details,
                                       std::uint32_t flags) {
    DeviceModel* device = deviceOf(mixer);
    if (!device) return MMSYSERR_INVALHANDLE;
    if (flags != kDetailsValue) return MMSYSERR_INVALFLAG;
    if (!details) return MMSYSERR_INVALPARAM;
    ControlModel* control = findControl(*device, details->dwControlID, nullptr);
    if (!control) return MIXERR_INVALCONTROL;
    const std::size_t count = detailsCount(*details, *control);
    if (count == 0) return MMSYSERR_INVALPARAM;
    std::vector<std::uint32_t> values;
    if (const MMRESULT rc = control->read(values); rc != MMSYSERR_NOERROR) return rc;
    // One channel asked of several: the first channel's values stand for all.
    values.resize(std::max(values.size(), count));
    std::memcpy(details->paDetails, values.data(), count * 4);
    return MMSYSERR_NOERROR;
}

MMRESULT ModelMixer::setControlDetails(HMIXER mixer, MixerControlDetails* details,
                                       std::uint32_t flags) {
    unsigned number = 0;
    DeviceModel* device = deviceOf(mixer, &number);
    if (!device) return MMSYSERR_INVALHANDLE;
    if (flags != kDetailsValue) return MMSYSERR_INVALFLAG;
    if (!details) return MMSYSERR_INVALPARAM;
    ControlModel* control = findControl(*device, details->dwControlID, nullptr);
    if (!control) return MIXERR_INVALCONTROL;
    const std::size_t count = detailsCount(*details, *control);
    if (count == 0) return MMSYSERR_INVALPARAM;
    const auto* in = static_cast<const std::uint32_t*>(details->paDetails);
    const std::size_t perChannel = std::max(1u, details->cMultipleItems);
    std::vector<std::uint32_t> values(std::size_t(control->channels) * perChannel);
    // One channel given for several: it is set on all of them.
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = details->cChannels == 1 ? in[i % perChannel] : in[i];
    const bool boolean = control->record.dwControlType != kVolumeControl;
    for (std::uint32_t& v : values) {
        if (boolean) v = v ? 1 : 0;
        else if (v > control->record.Bounds.dwMaximum) return MIXERR_INVALVALUE;
    }
    std::vector<std::uint32_t> before;
    const bool known = control->read(before) == MMSYSERR_NOERROR;
    if (const MMRESULT rc = control->write(values); rc != MMSYSERR_NOERROR) return rc;
    if (!known || before != values) notify(number, kControlChange, control->record.dwControlID);
    return MMSYSERR_NOERROR;
}

}  // namespace corvina::mixer
