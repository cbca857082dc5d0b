#include "components/AudioMixer.h"

#include <algorithm>

#include "platform/ErrorReport.h"

using namespace corvina::mixer;

namespace {

// The value buffer holds this many values at least; a control that needs more gets more
// rather than being skipped, so a line with many channels or a long list still works.
constexpr std::size_t kValueBuffer = 31;

bool isVolume(const MixerControl& c) {
    return c.dwControlType == kVolumeControl;
}
bool isMute(const MixerControl& c) {
    return c.dwControlType == kMuteControl;
}
bool hasMultipleItems(const MixerControl& c) {
    return c.fdwControl & kControlMultiple;
}

// The details record of `control` on `line`, with its values in `buffer`.
MixerControlDetails detailsFor(const MixerControl& control, const MixerLine& line,
                               std::vector<std::uint32_t>& buffer) {
    MixerControlDetails d{};
    d.cbStruct = sizeof(MixerControlDetails);
    d.dwControlID = control.dwControlID;
    d.cChannels = (control.fdwControl & kControlUniform) ? 1 : line.cChannels;
    const bool list = (control.dwControlType & kMuxControl) == kMuxControl ||
                      (control.dwControlType & kMixerControl) == kMixerControl;
    d.cMultipleItems = list && hasMultipleItems(control) ? control.cMultipleItems : 0;
    d.cbDetails = 4;
    buffer.assign(std::max<std::size_t>(kValueBuffer, std::size_t(std::max(1u, d.cChannels)) *
                                                          std::max(1u, d.cMultipleItems)),
                  0);
    d.paDetails = buffer.data();
    return d;
}

}  // namespace

// The hidden receiver of the mixer's change messages.
class TAudioMixer::MessageWindow : public QObject {
public:
    explicit MessageWindow(TAudioMixer* owner) : QObject(owner), owner_(owner) {}

protected:
    bool event(QEvent* event) override {
        if (event->type() != MixerMessage::type()) return QObject::event(event);
        const auto* m = static_cast<MixerMessage*>(event);
        owner_->message(m->message(), m->wParam(), m->lParam());
        return true;
    }

private:
    TAudioMixer* owner_;
};

TMixerControls::TMixerControls(TAudioMixer& mixer, const MixerLine& line) {
    if (line.cControls == 0) return;
    block_.assign(line.cControls, MixerControl{});
    MixerLineControls query{};
    query.cbStruct = sizeof(MixerLineControls);
    query.dwLineID = line.dwLineID;
    query.cControls = line.cControls;
    query.cbmxctrl = sizeof(MixerControl);
    query.pamxctrl = block_.data();
    if (mixer.Api().getLineControls(mixer.MixerHandle(), &query, kControlsAll) !=
        MMSYSERR_NOERROR)
        return;
    for (MixerControl& control : block_) Add(&control);
}

TMixerConnection::TMixerConnection(TAudioMixer& mixer, const MixerLine& line)
    : data_(line), mixer_(mixer), controls_(std::make_unique<TMixerControls>(mixer, data_)) {}

TMixerDestination::TMixerDestination(TAudioMixer& mixer, const MixerLine& line)
    : data_(line), mixer_(mixer) {
    for (std::uint32_t s = 0; s < data_.cConnections; ++s) {
        MixerLine source{};
        source.cbStruct = sizeof(MixerLine);
        source.dwDestination = data_.dwDestination;
        source.dwSource = s;
        if (mixer_.Api().getLineInfo(mixer_.MixerHandle(), &source, kLineBySource) ==
            MMSYSERR_NOERROR)
            connections_.Add(new TMixerConnection(mixer_, source));
    }
    controls_ = std::make_unique<TMixerControls>(mixer_, data_);
}

TAudioMixer::TAudioMixer(QObject* owner, MixerApi* api)
    : QObject(owner), api_(api ? *api : systemMixer()) {
    window_ = new MessageWindow(this);
    mixerCount_ = int(api_.getNumDevs());
    mixerId_ = -1;
    setMixerID(0);
}

TAudioMixer::~TAudioMixer() {
    close();
    delete window_;
}

void TAudioMixer::close() {
    if (mixerId_ < 0) return;
    api_.close(handle_);
    handle_ = 0;
    mixerId_ = -1;
    destinations_.reset();
}

void TAudioMixer::setMixerID(int value) {
    if (mixerCount_ <= 0) return;
    if (value >= mixerCount_) value = mixerCount_ - 1;
    close();
    if (value < 0) return;
    HMIXER handle = 0;
    if (api_.open(&handle, unsigned(value), window_, kCallbackWindow) != MMSYSERR_NOERROR) return;
    handle_ = handle;
    mixerId_ = value;
    caps_ = {};
    api_.getDevCaps(unsigned(value), &caps_, sizeof(caps_));
    destinations_ = std::make_unique<TMixerDestinations>();
    for (std::uint32_t d = 0; d < caps_.cDestinations; ++d) {
        MixerLine line{};
        line.cbStruct = sizeof(MixerLine);
        line.dwDestination = d;
        if (api_.getLineInfo(handle_, &line, kLineByDestination) == MMSYSERR_NOERROR)
            destinations_->Add(new TMixerDestination(*this, line));
    }
}

void TAudioMixer::message(unsigned message, HMIXER mixer, std::uint32_t id) {
    const TMixerChange& handler = message == kLineChange      ? OnLineChange
                                  : message == kControlChange ? OnControlChange
                                                              : TMixerChange();
    if (handler) corvina::runHandler([&] { handler(this, int(mixer), int(id)); });
}

const MixerLine& TAudioMixer::Target::line() const {
    return connection ? connection->Data() : destination->Data();
}

TMixerControls& TAudioMixer::Target::controls() const {
    return connection ? connection->Controls() : destination->Controls();
}

bool TAudioMixer::findLine(int destination, int connection, Target& target) const {
    if (mixerId_ < 0 || !destinations_) return false;
    if (destination < 0 || destination >= destinations_->Count()) return false;
    target.destination = (*destinations_)[destination];
    if (connection == -1) return true;
    TMixerConnections& connections = target.destination->Connections();
    if (connection < 0 || connection >= connections.Count()) return false;
    target.connection = connections[connection];
    return true;
}

bool TAudioMixer::GetLineVolume(int destination, int connection, int& left, int& right,
                                int& mute, bool& volumeDisabled, bool& muteDisabled) {
    left = right = mute = -1;
    Target target;
    if (!findLine(destination, connection, target)) return false;
    const MixerLine& line = target.line();
    std::vector<std::uint32_t> buffer;
    TMixerControls& controls = target.controls();
    for (int i = 0; i < controls.Count() && (left == -1 || mute == -1); ++i) {
        const MixerControl& c = *controls[i];
        if ((!isVolume(c) && !isMute(c)) || hasMultipleItems(c)) continue;
        MixerControlDetails d = detailsFor(c, line, buffer);
        if (api_.getControlDetails(handle_, &d, kDetailsValue) != MMSYSERR_NOERROR) continue;
        if (isVolume(c) && left == -1) {
            volumeDisabled = c.fdwControl & kControlDisabled;
            if (volumeDisabled) continue;
            left = int(buffer[0]);
            if (d.cChannels >= 2) right = int(buffer[1]);
        } else if (isMute(c) && mute == -1) {
            muteDisabled = c.fdwControl & kControlDisabled;
            if (!muteDisabled) mute = buffer[0] != 0 ? 1 : 0;
        }
    }
    if (mute == -1 && target.connection) {
        // Without a mute switch of its own, a source is "muted" when its destination's list
        // does not select it.
        const MixerLine& destLine = target.destination->Data();
        TMixerControls& lists = target.destination->Controls();
        for (int i = 0; i < lists.Count() && mute == -1; ++i) {
            const MixerControl& c = *lists[i];
            if ((c.dwControlType & kMuxControl) != kMuxControl &&
                (c.dwControlType & kMixerControl) != kMixerControl)
                continue;
            MixerControlDetails d = detailsFor(c, destLine, buffer);
            if (api_.getControlDetails(handle_, &d, kDetailsValue) != MMSYSERR_NOERROR) continue;
            // A position past the list's end names no item.
            if (std::size_t(connection) < std::max(1u, d.cMultipleItems))
                mute = int(buffer[std::size_t(connection)]);
        }
    }
    if (left == -1) volumeDisabled = true;
    if (mute == -1) muteDisabled = true;
    return true;
}

bool TAudioMixer::SetLineVolume(int destination, int connection, int left, int right,
                                int mute) {
    Target target;
    if (!findLine(destination, connection, target)) return false;
    const MixerLine& line = target.line();
    std::vector<std::uint32_t> buffer;
    bool volumeDone = left == -1;
    bool muteDone = mute == -1;
    TMixerControls& controls = target.controls();
    for (int i = 0; i < controls.Count() && (!volumeDone || !muteDone); ++i) {
        const MixerControl& c = *controls[i];
        if ((!isVolume(c) && !isMute(c)) || hasMultipleItems(c)) continue;
        if (isVolume(c) && !volumeDone) {
            MixerControlDetails d = detailsFor(c, line, buffer);
            buffer[0] = std::uint32_t(left);
            buffer[1] = std::uint32_t(right == -1 ? left : right);
            api_.setControlDetails(handle_, &d, kDetailsValue);
            volumeDone = true;
        } else if (isMute(c) && !muteDone) {
            MixerControlDetails d = detailsFor(c, line, buffer);
            buffer[0] = std::uint32_t(mute);
            api_.setControlDetails(handle_, &d, kDetailsValue);
            muteDone = true;
        }
    }
    if (!muteDone && target.connection) {
        const MixerLine& destLine = target.destination->Data();
        TMixerControls& lists = target.destination->Controls();
        for (int i = 0; i < lists.Count(); ++i) {
            const MixerControl& c = *lists[i];
            if (c.dwControlType != kMuxControl && c.dwControlType != kMixerControl) continue;
            MixerControlDetails d = detailsFor(c, destLine, buffer);
            // Writing back a list whose state could not be read would change every other
            // source's selection; and a position past the list's end names no item.
            if (api_.getControlDetails(handle_, &d, kDetailsValue) != MMSYSERR_NOERROR) break;
            const std::size_t items = std::max(1u, d.cMultipleItems);
            if (std::size_t(connection) >= items) break;
            if (c.dwControlType == kMuxControl)
                std::fill(buffer.begin(), buffer.begin() + std::ptrdiff_t(items), 0);
            buffer[std::size_t(connection)] = std::uint32_t(mute);
            api_.setControlDetails(handle_, &d, kDetailsValue);
            break;
        }
    }
    return true;
}
