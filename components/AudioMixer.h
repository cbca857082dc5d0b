#pragma once
// TAudioMixer: a non-visual component over one device of the mixer layer (platform/mixer). It
// reads the device's destinations, their source lines ("connections") and the controls of every
// line into a tree, and reads or writes the volume and mute of one line chosen by position.
//
// Positions are list positions: a destination or source whose line query fails is left out and
// the later ones move up. Volumes are 0 .. 65535 per channel; mute is 0 or 1; -1 means "none"
// (not read, or not to be written).
//
// The mixer's change messages arrive at a hidden receiver owned by the component and are passed
// on as `OnLineChange` (a line's identifier) and `OnControlChange` (a control's identifier).
//
// UI thread only.
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

#include "platform/mixer/Mixer.h"

class TAudioMixer;

// Sender, the mixer handle, and the line or control identifier.
using TMixerChange = std::function<void(QObject* Sender, int MixerH, int ID)>;

// A list of pointers that may own its items: the release function (when set) is called for every
// item when the list is cleared or destroyed.
template <class T>
class TPointerList {
public:
    using Release = std::function<void(T*)>;
    explicit TPointerList(Release release = {}) : release_(std::move(release)) {}
    ~TPointerList() { Clear(); }
    TPointerList(const TPointerList&) = delete;
    TPointerList& operator=(const TPointerList&) = delete;

    void Add(T* item) { items_.push_back(item); }
    int Count() const { return int(items_.size()); }
    T* operator[](int index) const { return items_.at(std::size_t(index)); }
    void Clear() {
        std::vector<T*> items;
        items.swap(items_);
        if (release_)
            for (T* item : items) release_(item);
    }

private:
    Release release_;
    std::vector<T*> items_;
};

// The controls of one line: one block of records, and a pointer to each.
class TMixerControls : public TPointerList<corvina::mixer::MixerControl> {
public:
    TMixerControls(TAudioMixer& mixer, const corvina::mixer::MixerLine& line);

private:
    std::vector<corvina::mixer::MixerControl> block_;
};

class TMixerConnection {
public:
    TMixerConnection(TAudioMixer& mixer, const corvina::mixer::MixerLine& line);
    TAudioMixer& Mixer() const { return mixer_; }
    const corvina::mixer::MixerLine& Data() const { return data_; }
    TMixerControls& Controls() { return *controls_; }

private:
    corvina::mixer::MixerLine data_;
    TAudioMixer& mixer_;
    std::unique_ptr<TMixerControls> controls_;
};

class TMixerConnections : public TPointerList<TMixerConnection> {
public:
    TMixerConnections() : TPointerList([](TMixerConnection* c) { delete c; }) {}
};

class TMixerDestination {
public:
    TMixerDestination(TAudioMixer& mixer, const corvina::mixer::MixerLine& line);
    TAudioMixer& Mixer() const { return mixer_; }
    const corvina::mixer::MixerLine& Data() const { return data_; }
    TMixerControls& Controls() { return *controls_; }
    TMixerConnections& Connections() { return connections_; }

private:
    corvina::mixer::MixerLine data_;
    TAudioMixer& mixer_;
    TMixerConnections connections_;
    std::unique_ptr<TMixerControls> controls_;
};

class TMixerDestinations : public TPointerList<TMixerDestination> {
public:
    TMixerDestinations() : TPointerList([](TMixerDestination* d) { delete d; }) {}
};

class TAudioMixer : public QObject {
    Q_OBJECT
public:
    // Opens device 0 of `api` (the system's mixer unless a test gives another).
    explicit TAudioMixer(QObject* owner = nullptr,
                         corvina::mixer::MixerApi* api = nullptr);
    ~TAudioMixer() override;
    Q_DISABLE_COPY(TAudioMixer)

    // The open device, -1 while none is. Assigning closes the open device and opens device v
    // (lowered to the last device; -1 only closes). Nothing happens when there are no devices.
    int MixerID() const { return mixerId_; }
    void setMixerID(int value);

    int MixerCount() const { return mixerCount_; }
    corvina::mixer::HMIXER MixerHandle() const { return handle_; }
    const corvina::mixer::MixerCaps& MixerCaps() const { return caps_; }
    // Null while no device is open.
    TMixerDestinations* Destinations() const { return destinations_.get(); }
    corvina::mixer::MixerApi& Api() const { return api_; }

    // The line at `destination`, `connection` (-1: the destination itself). False when no
    // device is open or a position does not exist: left, right and mute are then -1 and the two
    // disabled flags stay as they were.
    bool GetLineVolume(int destination, int connection, int& left, int& right, int& mute,
                       bool& volumeDisabled, bool& muteDisabled);
    // `right` -1: the left value for both channels; `left` -1 or `mute` -1: that part is left
    // alone. Failed writes are not reported.
    bool SetLineVolume(int destination, int connection, int left, int right, int mute);

    TMixerChange OnLineChange;
    TMixerChange OnControlChange;

private:
    class MessageWindow;
    struct Target {
        TMixerDestination* destination = nullptr;
        TMixerConnection* connection = nullptr;  // null: the destination line itself
        const corvina::mixer::MixerLine& line() const;
        TMixerControls& controls() const;
    };
    bool findLine(int destination, int connection, Target& target) const;
    void close();
    void message(unsigned message, corvina::mixer::HMIXER mixer, std::uint32_t id);

    corvina::mixer::MixerApi& api_;
    MessageWindow* window_ = nullptr;
    int mixerCount_ = 0;
    int mixerId_ = -1;
    corvina::mixer::HMIXER handle_ = 0;
    corvina::mixer::MixerCaps caps_{};
    std::unique_ptr<TMixerDestinations> destinations_;
};
