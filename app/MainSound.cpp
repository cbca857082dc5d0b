// The audio channels of the drive and the mute switch.
//
// The mode lives in the device alone: each handler sends its commands and sets all four check
// marks and both mute pictures outright. None looks for a disc or runs a tick; a refused command
// changes nothing on screen, the next command sets the device again.
#include "app/CdDevice.h"
#include "app/Main.h"
#include "app/Picture.h"
#include "menu/Menu2000.h"

namespace {

struct Marks {
    bool left, right, all, mute;
};

void setMarks(TFormMain& form, Marks marks) {
    form.MenuLeftChannel->Checked = marks.left;
    form.MenuRightChannel->Checked = marks.right;
    form.MenuAllChannels->Checked = marks.all;
    form.MenuAllMute->Checked = marks.mute;
}

void showMuted(TFormMain& form, bool muted) {
    form.IconMuteTrue->setVisible(muted);
    form.IconMuteFalse->setVisible(!muted);
}

}  // namespace

void TFormMain::MenuSoundLeftClick(QObject*) {
    // The other channel goes off first, so that an earlier right-only or mute is undone too.
    corvina::cdSend(corvina::cdCommand("set %1 audio right off"));
    corvina::cdSend(corvina::cdCommand("set %1 audio left on"));
    setMarks(*this, {true, false, false, false});
    showMuted(*this, false);
}

void TFormMain::MenuSoundRightClick(QObject*) {
    corvina::cdSend(corvina::cdCommand("set %1 audio left off"));
    corvina::cdSend(corvina::cdCommand("set %1 audio right on"));
    setMarks(*this, {false, true, false, false});
    showMuted(*this, false);
}

void TFormMain::MenuSoundAllClick(QObject*) {
    corvina::cdSend(corvina::cdCommand("set %1 audio all on"));
    setMarks(*this, {false, false, true, false});
    showMuted(*this, false);
}

void TFormMain::MenuSoundMuteClick(QObject*) {
    corvina::cdSend(corvina::cdCommand("set %1 audio all off"));
    setMarks(*this, {false, false, false, true});
    showMuted(*this, true);
}

// The pictures switch first, then the device, then the menu.
void TFormMain::MuteFalse(QObject*) {
    showMuted(*this, true);
    corvina::cdSend(corvina::cdCommand("set %1 audio all off"));
    setMarks(*this, {false, false, false, true});
}

void TFormMain::MuteTrue(QObject*) {
    showMuted(*this, false);
    corvina::cdSend(corvina::cdCommand("set %1 audio all on"));
    setMarks(*this, {false, false, true, false});
}
