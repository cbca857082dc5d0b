#pragma once
// The mixer layer: sound devices seen as mixers, each with destination lines, the source lines
// feeding each destination ("connections") and the controls of every line (volume, mute, lists).
//
// The calls and records follow the classic multimedia mixer interface, so that callers address
// lines and controls by number and exchange fixed-size records:
//   MixerCaps 48 bytes, MixerLine 168, MixerControl 148. MixerLineControls and
//   MixerControlDetails carry a pointer as their last field: 24 bytes on a 32-bit build, 32 on a
//   64-bit one; their `cbStruct` must be the record's own size.
// Control values are 4 bytes each: unsigned for volumes (0 .. 65535), Boolean (0 or 1) for mute
// and list items. A control read or written with one channel acts on all channels at once.
//
// A mixer opened with `kCallbackWindow` and a receiver object is told of changes by posted
// MixerMessage events: kLineChange (a line's state or controls changed) with the line's
// identifier, kControlChange with the control's identifier; wParam is the mixer handle. A change
// made through any handle, or by another process sharing the same settings, is told to every
// open handle of that device.
//
// Backends: the system's (`SystemMixer.cpp`: device 0 is the default output, whose sixth source
// line is the player's own CD output) and a fake with fault switches for tests (`FakeMixer.h`).
//
// Threading: UI thread only. Events arrive through the receiver's event queue.
#include <QEvent>
#include <QObject>
#include <cstdint>

namespace corvina::mixer {

using MMRESULT = std::uint32_t;
using HMIXER = std::uint32_t;  // 0 is no mixer

// Results.
inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;
inline constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_NODRIVER = 6;
inline constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT MIXERR_INVALLINE = 1024;
inline constexpr MMRESULT MIXERR_INVALCONTROL = 1025;
inline constexpr MMRESULT MIXERR_INVALVALUE = 1026;

// Open flags and change messages.
inline constexpr std::uint32_t kCallbackWindow = 0x10000;
inline constexpr unsigned kLineChange = 0x3D0;
inline constexpr unsigned kControlChange = 0x3D1;

// getLineInfo flags.
inline constexpr std::uint32_t kLineByDestination = 0;
inline constexpr std::uint32_t kLineBySource = 1;
inline constexpr std::uint32_t kLineById = 2;
// getLineControls flags.
inline constexpr std::uint32_t kControlsAll = 0;
inline constexpr std::uint32_t kControlById = 1;
inline constexpr std::uint32_t kControlByType = 2;
// get/setControlDetails flags.
inline constexpr std::uint32_t kDetailsValue = 0;

// Line flags.
inline constexpr std::uint32_t kLineActive = 0x1;
inline constexpr std::uint32_t kLineDisconnected = 0x8000;
inline constexpr std::uint32_t kLineSource = 0x80000000;
// Component types.
inline constexpr std::uint32_t kDstSpeakers = 4;
inline constexpr std::uint32_t kSrcLine = 0x1002;
inline constexpr std::uint32_t kSrcMicrophone = 0x1003;
inline constexpr std::uint32_t kSrcSynthesizer = 0x1004;
inline constexpr std::uint32_t kSrcCompactDisc = 0x1005;
inline constexpr std::uint32_t kSrcWaveOut = 0x1008;
inline constexpr std::uint32_t kSrcAuxiliary = 0x1009;
inline constexpr std::uint32_t kTargetWaveOut = 1;

// Control types and flags.
inline constexpr std::uint32_t kVolumeControl = 0x50030001;
inline constexpr std::uint32_t kMuteControl = 0x20010002;
inline constexpr std::uint32_t kMuxControl = 0x70010001;    // single-select, one item per source
inline constexpr std::uint32_t kMixerControl = 0x71010001;  // multiple-select, one per source
inline constexpr std::uint32_t kControlUniform = 0x1;
inline constexpr std::uint32_t kControlMultiple = 0x2;
inline constexpr std::uint32_t kControlDisabled = 0x80000000;

struct MixerCaps {
    std::uint16_t wMid;
    std::uint16_t wPid;
    std::uint32_t vDriverVersion;
    char szPname[32];
    std::uint32_t fdwSupport;
    std::uint32_t cDestinations;
};

struct MixerLineTarget {
    std::uint32_t dwType;
    std::uint32_t dwDeviceID;
    std::uint16_t wMid;
    std::uint16_t wPid;
    std::uint32_t vDriverVersion;
    char szPname[32];
};

struct MixerLine {
    std::uint32_t cbStruct;
    std::uint32_t dwDestination;
    std::uint32_t dwSource;
    std::uint32_t dwLineID;
    std::uint32_t fdwLine;
    std::uint32_t dwUser;
    std::uint32_t dwComponentType;
    std::uint32_t cChannels;
    std::uint32_t cConnections;
    std::uint32_t cControls;
    char szShortName[16];
    char szName[64];
    MixerLineTarget Target;
};

struct MixerControl {
    std::uint32_t cbStruct;
    std::uint32_t dwControlID;
    std::uint32_t dwControlType;
    std::uint32_t fdwControl;
    std::uint32_t cMultipleItems;
    char szShortName[16];
    char szName[64];
    struct {
        std::uint32_t dwMinimum;
        std::uint32_t dwMaximum;
        std::uint32_t dwReserved[4];
    } Bounds;
    struct {
        std::uint32_t cSteps;
        std::uint32_t dwReserved[5];
    } Metrics;
};

struct MixerLineControls {
    std::uint32_t cbStruct;
    std::uint32_t dwLineID;
    union {
        std::uint32_t dwControlID;    // kControlById
        std::uint32_t dwControlType;  // kControlByType
    };
    std::uint32_t cControls;
    std::uint32_t cbmxctrl;  // size of one MixerControl record
    MixerControl* pamxctrl;
};

struct MixerControlDetails {
    std::uint32_t cbStruct;
    std::uint32_t dwControlID;
    std::uint32_t cChannels;
    std::uint32_t cMultipleItems;
    std::uint32_t cbDetails;  // size of one value: 4
    void* paDetails;          // cChannels x max(1, cMultipleItems) values
};

static_assert(sizeof(MixerCaps) == 48);
static_assert(sizeof(MixerLine) == 168);
static_assert(sizeof(MixerControl) == 148);
static_assert(sizeof(MixerLineControls) == (sizeof(void*) == 4 ? 24 : 32));
static_assert(sizeof(MixerControlDetails) == (sizeof(void*) == 4 ? 24 : 32));

// A change message posted to a mixer's receiver.
class MixerMessage : public QEvent {
public:
    MixerMessage(unsigned message, HMIXER mixer, std::uint32_t id)
        : QEvent(type()), message_(message), mixer_(mixer), id_(id) {}
    static QEvent::Type type();
    unsigned message() const { return message_; }
    HMIXER wParam() const { return mixer_; }
    std::uint32_t lParam() const { return id_; }

private:
    unsigned message_;
    HMIXER mixer_;
    std::uint32_t id_;
};

class MixerApi {
public:
    MixerApi() = default;
    MixerApi(const MixerApi&) = delete;
    MixerApi& operator=(const MixerApi&) = delete;
    virtual ~MixerApi() = default;

    virtual unsigned getNumDevs() = 0;
    // `receiver` (kept while open, may be null) gets MixerMessage events when `flags` has
    // kCallbackWindow. A device that is gone fails with MMSYSERR_NODRIVER.
    virtual MMRESULT open(HMIXER* mixer, unsigned device, QObject* receiver,
                          std::uint32_t flags) = 0;
    virtual MMRESULT close(HMIXER mixer) = 0;
    // `size` is the caller's record size; at most that much is filled.
    virtual MMRESULT getDevCaps(unsigned device, MixerCaps* caps, unsigned size) = 0;
    // Fills `line` chosen by `flags`: its dwDestination (and dwSource) or dwLineID.
    virtual MMRESULT getLineInfo(HMIXER mixer, MixerLine* line, std::uint32_t flags) = 0;
    // kControlsAll fills `cControls` records (which must be the line's control count).
    virtual MMRESULT getLineControls(HMIXER mixer, MixerLineControls* controls,
                                     std::uint32_t flags) = 0;
    virtual MMRESULT getControlDetails(HMIXER mixer, MixerControlDetails* details,
                                       std::uint32_t flags) = 0;
    virtual MMRESULT setControlDetails(HMIXER mixer, MixerControlDetails* details,
                                       std::uint32_t flags) = 0;
};

// The system's mixers, made on first use and kept for the program's life.
MixerApi& systemMixer();

}  // namespace corvina::mixer
