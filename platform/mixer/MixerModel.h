#pragma once
// A mixer layer answering from a description of its devices: each device's lines and controls
// are laid out once, and each control reads and writes its values through two functions. The
// system mixer and the fake both describe their devices this way, so the record handling (sizes,
// identifiers, channels, list items, change messages) is one piece of code.
//
// Line identifiers are destination << 16 for a destination and (destination << 16) | (source +
// 1) for a source line; control identifiers count from 1 through the whole device in line order.
//
// UI thread only.
#include <QPointer>
#include <functional>
#include <map>
#include <vector>

#include "platform/mixer/Mixer.h"

namespace corvina::mixer {

struct ControlModel {
    // dwControlType, fdwControl, cMultipleItems, names and bounds; the rest is filled in.
    MixerControl record{};
    // How many channels the values hold: 1 for a uniform control, else the line's channels.
    unsigned channels = 1;
    // All values, channel by channel, each channel holding max(1, items) values.
    std::function<MMRESULT(std::vector<std::uint32_t>& values)> read;
    std::function<MMRESULT(const std::vector<std::uint32_t>& values)> write;
};

struct LineModel {
    // fdwLine, dwComponentType, cChannels, names and target; the rest is filled in.
    MixerLine record{};
    std::vector<ControlModel> controls;
};

struct DestinationModel {
    LineModel line;
    std::vector<LineModel> sources;
};

struct DeviceModel {
    MixerCaps caps{};
    std::vector<DestinationModel> destinations;
};

// A control whose values live in the control itself (channels x max(1, items), all `initial`).
ControlModel storedControl(std::uint32_t type, std::uint32_t flags, unsigned channels,
                           unsigned items, const char* name, std::uint32_t initial = 0);

// Copies a name into a fixed record field, cut to fit and always terminated.
template <std::size_t N>
void setName(char (&field)[N], const char* name) {
    std::size_t i = 0;
    for (; name && name[i] && i + 1 < N; ++i) field[i] = name[i];
    for (; i < N; ++i) field[i] = 0;
}

class ModelMixer : public MixerApi {
public:
    // Lays the device out (identifiers, counts, record sizes) and returns its number.
    unsigned addDevice(DeviceModel device);
    DeviceModel& device(unsigned n) { return devices_.at(n); }
    // Posts `message` with `id` to every open handle of `device` that asked for messages.
    void notify(unsigned device, unsigned message, std::uint32_t id);
    // The identifiers of a line and of the control at `index` of it.
    static std::uint32_t lineId(unsigned destination, int source);
    std::uint32_t controlId(unsigned device, unsigned destination, int source,
                            unsigned index) const;

    unsigned getNumDevs() override;
    MMRESULT open(HMIXER* mixer, unsigned device, QObject* receiver, std::uint32_t flags) override;
    MMRESULT close(HMIXER mixer) override;
    MMRESULT getDevCaps(unsigned device, MixerCaps* caps, unsigned size) override;
    MMRESULT getLineInfo(HMIXER mixer, MixerLine* line, std::uint32_t flags) override;
    MMRESULT getLineControls(HMIXER mixer, MixerLineControls* controls,
                             std::uint32_t flags) override;
    MMRESULT getControlDetails(HMIXER mixer, MixerControlDetails* details,
                               std::uint32_t flags) override;
    MMRESULT setControlDetails(HMIXER mixer, MixerControlDetails* details,
                               std::uint32_t flags) override;

    // How many handles are open on `device`.
    int openHandles(unsigned device) const;

protected:
    // The device behind an open handle, or null.
    DeviceModel* deviceOf(HMIXER mixer, unsigned* number = nullptr);
    LineModel* findLine(DeviceModel& device, std::uint32_t lineId);
    ControlModel* findControl(DeviceModel& device, std::uint32_t controlId, LineModel** line);

private:
    struct Handle {
        unsigned device;
        QPointer<QObject> receiver;
    };
    std::vector<DeviceModel> devices_;
    std::map<HMIXER, Handle> handles_;
    HMIXER nextHandle_ = 1;
};

}  // namespace corvina::mixer
