// The eight transport commands. Each sends its device commands, updates the play flags and runs
// one tick at once so that the display follows without waiting for the timer.
#include "app/Main.h"
#include "platform/Convert.h"
#include "platform/ErrorReport.h"

using corvina::cdQuery;
using corvina::cdSend;
using corvina::strToInt;

namespace {

constexpr int kStepMs = 10000;

}  // namespace

void TFormMain::CDPlay(QObject*) {
    if (!DiscPresent) return;
    cdSend(corvina::cdCommand("play %1"));
    Playing = true;
    Paused = false;
    Stopped = false;
    TimerCDTimer(TimerCD);
}

void TFormMain::CDPause(QObject*) {
    if (!DiscPresent) return;
    cdSend(corvina::cdCommand("stop %1 wait"));
    Playing = false;
    Paused = true;
    Stopped = false;
    TimerCDTimer(TimerCD);
}

void TFormMain::CDStop(QObject*) {
    if (!DiscPresent) return;
    cdSend(corvina::cdCommand("stop %1 wait"));
    cdSend(corvina::cdCommand("seek %1 to ") + TrackNo);
    Playing = false;
    Paused = false;
    Stopped = true;
    TimerCDTimer(TimerCD);
}

void TFormMain::CDPrevious(QObject*) {
    if (!DiscPresent) return;
    const int track = strToInt(TrackNo);
    const QString target = track - 1 > 0 ? QString::number(track - 1) : TrackCount;
    cdSend((Playing ? corvina::cdCommand("play %1 from ") : corvina::cdCommand("seek %1 to ")) +
           target);
    TimerCDTimer(TimerCD);
}

void TFormMain::CDNext(QObject*) {
    if (!DiscPresent) return;
    const int track = strToInt(TrackNo);
    const int count = strToInt(TrackCount);
    const QString target = track < count ? QString::number(track + 1) : QStringLiteral("1");
    cdSend((Playing ? corvina::cdCommand("play %1 from ") : corvina::cdCommand("seek %1 to ")) +
           target);
    TimerCDTimer(TimerCD);
}

void TFormMain::CDRewind(QObject*) {
    if (!DiscPresent) return;
    rewindOrForward(-kStepMs);
}

void TFormMain::CDForward(QObject*) {
    if (!DiscPresent) return;
    rewindOrForward(kStepMs);
}

// The step is taken in milliseconds from the start of the disc, so it crosses tracks freely. It
// is not clamped: a target outside the disc is refused by the device and nothing moves.
void TFormMain::rewindOrForward(int step) {
    cdSend(corvina::cdCommand("set %1 time format milliseconds"));
    corvina::ReplyBuffer<41> reply;
    int position = 0;
    try {
        position = strToInt(cdQuery(corvina::cdCommand("status %1 position wait"), reply));
    } catch (const corvina::Error&) {
        // Every tick reads TMSF replies: put the device back into TMSF before the command is
        // abandoned, or the player would fail on every tick from now on.
        cdSend(corvina::cdCommand("set %1 time format tmsf"));
        throw;
    }
    const QString target = QString::number(static_cast<qint64>(position) + step);
    cdSend((Playing ? corvina::cdCommand("play %1 from ") : corvina::cdCommand("seek %1 to ")) +
           target);
    cdSend(corvina::cdCommand("set %1 time format tmsf"));
    TimerCDTimer(TimerCD);
}

void TFormMain::CDEject(QObject*) {
    if (DoorClosed) {
        // A stop that fails (a garbage position reply in its tick) must not keep the tray shut:
        // the door still opens, and the error is reported once the eject is done.
        std::exception_ptr stopError;
        try {
            CDStop(nullptr);
        } catch (const corvina::Error&) {
            stopError = std::current_exception();
        }
        cdSend(corvina::cdCommand("set %1 door open"));
        DoorClosed = false;
        if (stopError) std::rethrow_exception(stopError);
    } else {
        cdSend(corvina::cdCommand("set %1 door closed"));
        Playing = false;
        Paused = false;
        Stopped = false;
        DoorClosed = true;
    }
    TimerCDTimer(TimerCD);
}
