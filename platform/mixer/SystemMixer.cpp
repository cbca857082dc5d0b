#include "platform/mixer/SystemMixer.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

#include "platform/audio/AudioOutput.h"

namespace corvina::mixer {
namespace {

int gainOf(int level, bool mute) {
    // 0 .. 65535 onto 0 .. 65536, so that full volume leaves the sound exactly as it is.
    return mute ? 0 : int((std::int64_t(level) * audio::Gain::kUnity + 32767) / 65535);
}

LineModel line(const char* shortName, const char* name, std::uint32_t type, std::uint32_t flags,
               unsigned channels) {
    LineModel l;
    l.record.fdwLine = flags;
    l.record.dwComponentType = type;
    l.record.cChannels = channels;
    setName(l.record.szShortName, shortName);
    setName(l.record.szName, name);
    l.record.Target.dwType = kTargetWaveOut;
    setName(l.record.Target.szPname, "Corvina");
    return l;
}

ControlModel control(std::uint32_t type, std::uint32_t flags, unsigned channels,
                     const char* name) {
    ControlModel c = storedControl(type, flags, channels, 0, name);
    return c;
}

}  // namespace

std::string SystemMixer::cardFor(const std::string& audioChoice) {
    if (audioChoice.empty() || audioChoice == "default") return "default";
    if (audioChoice.rfind("alsa:", 0) == 0) return audioChoice.substr(5);
    return {};
}

SystemMixer::SystemMixer(const QString& path, audio::Gain& gain, const std::string& card) {
    cdLine_ = std::make_unique<CdLine>(path, [&gain](const CdLevels& levels) {
        gain.setTarget(gainOf(levels.left, levels.mute), gainOf(levels.right, levels.mute));
    });
    if (!card.empty()) {
        std::string error;
        master_ = AlsaMaster::open(card, error);
        if (!master_) std::fprintf(stderr, "Corvina: no master volume (%s).\n", error.c_str());
    }

    DeviceModel device;
    device.caps.vDriverVersion = 0x0403;
    setName(device.caps.szPname, master_ ? "Corvina (ALSA default)" : "Corvina");

    DestinationModel speakers;
    const unsigned masterChannels = master_ ? master_->channels() : 2;
    speakers.line = line("Volume", "Master Volume", kDstSpeakers, kLineActive, masterChannels);
    if (master_) {
        AlsaMaster* m = master_.get();
        ControlModel volume = control(kVolumeControl, masterChannels == 1 ? kControlUniform : 0,
                                      masterChannels, "Master Volume");
        volume.read = [m](std::vector<std::uint32_t>& v) {
            return m->readVolume(v) ? MMSYSERR_NOERROR : MMSYSERR_NODRIVER;
        };
        volume.write = [m](const std::vector<std::uint32_t>& v) {
            return m->writeVolume(v) ? MMSYSERR_NOERROR : MMSYSERR_NODRIVER;
        };
        speakers.line.controls.push_back(std::move(volume));
        if (m->hasSwitch()) {
            ControlModel mute = control(kMuteControl, kControlUniform, 1, "Master Mute");
            mute.read = [m](std::vector<std::uint32_t>& v) {
                bool muted = false;
                if (!m->readMute(muted)) return MMSYSERR_NODRIVER;
                v.assign(1, muted ? 1 : 0);
                return MMSYSERR_NOERROR;
            };
            mute.write = [m](const std::vector<std::uint32_t>& v) {
                return m->writeMute(v.at(0) != 0) ? MMSYSERR_NOERROR : MMSYSERR_NODRIVER;
            };
            speakers.line.controls.push_back(std::move(mute));
        }
    }
    const std::uint32_t idle = kLineSource | kLineDisconnected;
    speakers.sources.push_back(line("Wave", "Wave", kSrcWaveOut, idle, 2));
    speakers.sources.push_back(line("SW Synth", "SW Synth", kSrcSynthesizer, idle, 2));
    speakers.sources.push_back(line("Line In", "Line In", kSrcLine, idle, 2));
    speakers.sources.push_back(line("Microphone", "Microphone", kSrcMicrophone, idle, 1));
    speakers.sources.push_back(line("Auxiliary", "Auxiliary", kSrcAuxiliary, idle, 2));

    LineModel cd = line("CD Audio", "CD Audio", kSrcCompactDisc, kLineActive, 2);
    CdLine* cdLine = cdLine_.get();
    ControlModel cdVolume = control(kVolumeControl, 0, 2, "CD Volume");
    cdVolume.read = [cdLine](std::vector<std::uint32_t>& v) {
        v = {std::uint32_t(cdLine->levels().left), std::uint32_t(cdLine->levels().right)};
        return MMSYSERR_NOERROR;
    };
    cdVolume.write = [cdLine](const std::vector<std::uint32_t>& v) {
        CdLevels levels = cdLine->levels();
        levels.left = int(v.at(0));
        levels.right = int(v.at(1));
        cdLine->setLevels(levels);
        return MMSYSERR_NOERROR;
    };
    ControlModel cdMute = control(kMuteControl, kControlUniform, 1, "CD Mute");
    cdMute.read = [cdLine](std::vector<std::uint32_t>& v) {
        v = {cdLine->levels().mute ? 1u : 0u};
        return MMSYSERR_NOERROR;
    };
    cdMute.write = [cdLine](const std::vector<std::uint32_t>& v) {
        CdLevels levels = cdLine->levels();
        levels.mute = v.at(0) != 0;
        cdLine->setLevels(levels);
        return MMSYSERR_NOERROR;
    };
    cd.controls.push_back(std::move(cdVolume));
    cd.controls.push_back(std::move(cdMute));
    speakers.sources.push_back(std::move(cd));
    device.destinations.push_back(std::move(speakers));
    addDevice(std::move(device));

    cdLine_->changed = [this] {
        notify(0, kControlChange, controlId(0, 0, kCdSource, 0));
        notify(0, kControlChange, controlId(0, 0, kCdSource, 1));
    };
    if (master_) {
        master_->changed = [this] { notify(0, kControlChange, controlId(0, 0, -1, 0)); };
        master_->gone = [this] {
            std::fprintf(stderr, "Corvina: the sound card's mixer went away.\n");
            this->device(0).destinations[0].line.record.fdwLine = kLineDisconnected;
            notify(0, kLineChange, lineId(0, -1));
        };
    }
}

SystemMixer::~SystemMixer() = default;

MMRESULT SystemMixer::close(HMIXER mixer) {
    const MMRESULT rc = ModelMixer::close(mixer);
    if (rc == MMSYSERR_NOERROR && openHandles(0) == 0) cdLine_->flush();
    return rc;
}

MixerApi& systemMixer() {
    // Never destroyed, like the audio output whose gain it sets; the levels are written when
    // the last handle closes and when the application ends.
    static SystemMixer* mixer = [] {
        const char* env = std::getenv("CORVINA_AUDIO");
        auto* m = new SystemMixer(CdLine::defaultPath(), audio::AudioOutput::shared().gain(),
                                  SystemMixer::cardFor(env ? env : ""));
        if (auto* app = QCoreApplication::instance())
            QObject::connect(app, &QCoreApplication::aboutToQuit, [m] { m->cdLine().flush(); });
        return m;
    }();
    return *mixer;
}

}  // namespace corvina::mixer
