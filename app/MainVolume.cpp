// The volume bar and the mixer line behind it.
#include "app/Main.h"

#include "components/AudioMixer.h"
#include "components/RXSlider.h"
#include "resources/Skin.h"

namespace {

// The player's line: the first destination's sixth source, the CD output.
constexpr int kDestination = 0;
constexpr int kConnection = 5;

}  // namespace

void TFormMain::createAudioMixer() {
    AudioMixer = new TAudioMixer(this);
    AudioMixer->setObjectName(QStringLiteral("AudioMixer"));  // opens mixer device 0
}

void TFormMain::createVolumeBar() {
    VolumeBar = new TRxSlider(this);
    VolumeBar->BeginLoading();
    VolumeBar->setObjectName(QStringLiteral("VolumeBar"));
    VolumeBar->setGeometry(321, 6, 62, 12);
    VolumeBar->setToolTip(QStringLiteral(" - 音量 + "));
    VolumeBar->setColor(clBlack);
    VolumeBar->setMaxValue(65535);
    VolumeBar->setNumThumbStates(ntsOne);
    VolumeBar->setEdgeSize(0);
    VolumeBar->setOptions(soSmooth);
    VolumeBar->setImageHThumb(skin::picture(QStringLiteral("VolumeThumb")));
    VolumeBar->setImageHRuler(skin::picture(QStringLiteral("VolumeRuler")));
    VolumeBar->OnChange = [this](QObject* sender) { SetVolume(sender); };
    VolumeBar->Loaded();
}

void TFormMain::LoadVolume() {
    int left = -1, right = -1, mute = -1;
    bool volumeDisabled = false, muteDisabled = false;
    AudioMixer->GetLineVolume(kDestination, kConnection, left, right, mute, volumeDisabled,
                              muteDisabled);
    VolumeBar->setValue(left);
}

void TFormMain::SetVolume(QObject*) {
    AudioMixer->SetLineVolume(kDestination, kConnection, VolumeBar->Value(), -1, 0);
}
