#pragma once
// The sound card's master level through the ALSA simple mixer: the playback volume (one or two
// channels, shown as 0 .. 65535 over the element's own range) and its playback switch (shown as
// mute, the other way round).
//
// The element is "Master", else "PCM", "Speaker" or "Headphone", the first that has a playback
// volume. Changes made by other programs (alsamixer, the desktop's volume applet) are noticed on
// the UI thread's event loop and reported through `changed`; a card that goes away (unplugged,
// its server ended) is reported once through `gone`, after which every call fails.
//
// UI thread only.
#include <QObject>
#include <QSocketNotifier>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

typedef struct _snd_mixer snd_mixer_t;
typedef struct _snd_mixer_elem snd_mixer_elem_t;

namespace corvina::mixer {

class AlsaMaster : public QObject {
    Q_OBJECT
public:
    // `card` as ALSA names it ("default", "hw:0"); null with `error` set when there is no card
    // or it has no master level.
    static std::unique_ptr<AlsaMaster> open(const std::string& card, std::string& error);
    ~AlsaMaster() override;

    const std::string& name() const { return name_; }
    unsigned channels() const { return channels_; }
    bool hasSwitch() const { return hasSwitch_; }
    bool isGone() const { return elem_ == nullptr; }

    // One value per channel, 0 .. 65535. False when the card is gone or refused.
    bool readVolume(std::vector<std::uint32_t>& values);
    bool writeVolume(const std::vector<std::uint32_t>& values);
    bool readMute(bool& mute);
    bool writeMute(bool mute);

    std::function<void()> changed;
    std::function<void()> gone;

private:
    struct MixerCloser {
        void operator()(snd_mixer_t* mixer) const;
    };
    AlsaMaster() = default;
    void onActivity();
    void lose();
    static int elemCallback(snd_mixer_elem_t* elem, unsigned int mask);

    std::unique_ptr<snd_mixer_t, MixerCloser> mixer_;
    snd_mixer_elem_t* elem_ = nullptr;
    std::string name_;
    unsigned channels_ = 2;
    bool hasSwitch_ = false;
    long min_ = 0;
    long max_ = 0;
    std::vector<std::unique_ptr<QSocketNotifier>> notifiers_;
};

}  // namespace corvina::mixer
