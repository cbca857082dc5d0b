#include "platform/mixer/AlsaMaster.h"

#include <alsa/asoundlib.h>

#include <cmath>

namespace corvina::mixer {
namespace {

constexpr snd_mixer_selem_channel_id_t kChannels[2] = {SND_MIXER_SCHN_FRONT_LEFT,
                                                       SND_MIXER_SCHN_FRONT_RIGHT};

void quiet(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void AlsaMaster::MixerCloser::operator()(snd_mixer_t* mixer) const {
    snd_mixer_close(mixer);
}

std::unique_ptr<AlsaMaster> AlsaMaster::open(const std::string& card, std::string& error) {
    // ALSA prints its own complaints; a missing card is an ordinary case here.
    snd_lib_error_set_handler(quiet);
    snd_mixer_t* raw = nullptr;
    int rc = snd_mixer_open(&raw, 0);
    if (rc < 0) {
        error = snd_strerror(rc);
        return nullptr;
    }
    std::unique_ptr<AlsaMaster> master(new AlsaMaster);
    master->mixer_.reset(raw);
    if ((rc = snd_mixer_attach(raw, card.c_str())) < 0 ||
        (rc = snd_mixer_selem_register(raw, nullptr, nullptr)) < 0 ||
        (rc = snd_mixer_load(raw)) < 0) {
        error = "ALSA mixer " + card + ": " + snd_strerror(rc);
        return nullptr;
    }
    for (const char* name : {"Master", "PCM", "Speaker", "Headphone"}) {
        for (snd_mixer_elem_t* e = snd_mixer_first_elem(raw); e; e = snd_mixer_elem_next(e)) {
            if (snd_mixer_selem_is_active(e) && snd_mixer_selem_has_playback_volume(e) &&
                std::string(snd_mixer_selem_get_name(e)) == name) {
                master->elem_ = e;
                master->name_ = name;
                break;
            }
        }
        if (master->elem_) break;
    }
    if (!master->elem_) {
        error = "ALSA mixer " + card + ": no master level";
        return nullptr;
    }
    snd_mixer_elem_t* e = master->elem_;
    snd_mixer_selem_get_playback_volume_range(e, &master->min_, &master->max_);
    if (master->max_ <= master->min_) {
        error = "ALSA mixer " + card + ": the master level has no range";
        return nullptr;
    }
    master->channels_ = snd_mixer_selem_is_playback_mono(e) ? 1 : 2;
    master->hasSwitch_ = snd_mixer_selem_has_playback_switch(e);
    snd_mixer_elem_set_callback_private(e, master.get());
    snd_mixer_elem_set_callback(e, &AlsaMaster::elemCallback);

    const int count = snd_mixer_poll_descriptors_count(raw);
    std::vector<pollfd> fds(std::size_t(std::max(count, 0)));
    if (count > 0 && snd_mixer_poll_descriptors(raw, fds.data(), unsigned(count)) > 0) {
        for (const pollfd& fd : fds) {
            auto notifier = std::make_unique<QSocketNotifier>(fd.fd, QSocketNotifier::Read);
            AlsaMaster* self = master.get();
            connect(notifier.get(), &QSocketNotifier::activated, self,
                    [self] { self->onActivity(); });
            master->notifiers_.push_back(std::move(notifier));
        }
    }
    return master;
}

AlsaMaster::~AlsaMaster() = default;

int AlsaMaster::elemCallback(snd_mixer_elem_t* elem, unsigned int mask) {
    auto* self = static_cast<AlsaMaster*>(snd_mixer_elem_get_callback_private(elem));
    if (!self) return 0;
    if (mask == SND_CTL_EVENT_MASK_REMOVE) {
        self->elem_ = nullptr;  // freed by ALSA after this returns
        return 0;
    }
    if ((mask & SND_CTL_EVENT_MASK_VALUE) && self->changed) self->changed();
    return 0;
}

void AlsaMaster::onActivity() {
    if (!elem_) return;
    const int count = snd_mixer_poll_descriptors_count(mixer_.get());
    std::vector<pollfd> fds(std::size_t(std::max(count, 0)));
    unsigned short revents = 0;
    if (count > 0) {
        snd_mixer_poll_descriptors(mixer_.get(), fds.data(), unsigned(count));
        for (pollfd& fd : fds) fd.revents = POLLIN;
        snd_mixer_poll_descriptors_revents(mixer_.get(), fds.data(), unsigned(count), &revents);
    }
    if ((revents & (POLLERR | POLLHUP | POLLNVAL)) || snd_mixer_handle_events(mixer_.get()) < 0 ||
        !elem_)
        lose();
}

void AlsaMaster::lose() {
    elem_ = nullptr;
    // The notifiers would fire on the dead descriptors for ever.
    for (auto& notifier : notifiers_) notifier->setEnabled(false);
    if (gone) gone();
}

bool AlsaMaster::readVolume(std::vector<std::uint32_t>& values) {
    if (!elem_) return false;
    values.assign(channels_, 0);
    for (unsigned c = 0; c < channels_; ++c) {
        long v = 0;
        if (snd_mixer_selem_get_playback_volume(elem_, kChannels[c], &v) < 0) return false;
        values[c] = std::uint32_t(std::lround(double(v - min_) * 65535.0 / double(max_ - min_)));
    }
    return true;
}

bool AlsaMaster::writeVolume(const std::vector<std::uint32_t>& values) {
    if (!elem_ || values.size() < channels_) return false;
    for (unsigned c = 0; c < channels_; ++c) {
        const long v = min_ + std::lround(double(values[c]) * double(max_ - min_) / 65535.0);
        if (snd_mixer_selem_set_playback_volume(elem_, kChannels[c], v) < 0) return false;
    }
    return true;
}

bool AlsaMaster::readMute(bool& mute) {
    if (!elem_ || !hasSwitch_) return false;
    int on = 1;
    if (snd_mixer_selem_get_playback_switch(elem_, kChannels[0], &on) < 0) return false;
    mute = on == 0;
    return true;
}

bool AlsaMaster::writeMute(bool mute) {
    if (!elem_ || !hasSwitch_) return false;
    return snd_mixer_selem_set_playback_switch_all(elem_, mute ? 0 : 1) >= 0;
}

}  // namespace corvina::mixer
