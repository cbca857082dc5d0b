// The volume bar and the mixer line behind it.
#include "app/Main.h"

// Joins here: the mixer component and the volume bar.
void TFormMain::createAudioMixer() {}
void TFormMain::createVolumeBar() {}
void TFormMain::LoadVolume() {}
void TFormMain::SetVolume(QObject*) {}
