// The audio channels of the drive and the mute switch.
#include "app/Main.h"

// Joins here: the channel submenu and the two mute pictures.
void TFormMain::MenuSoundLeftClick(QObject*) {}
void TFormMain::MenuSoundRightClick(QObject*) {}
void TFormMain::MenuSoundAllClick(QObject*) {}
void TFormMain::MenuSoundMuteClick(QObject*) {}
void TFormMain::MuteTrue(QObject*) {}
void TFormMain::MuteFalse(QObject*) {}
