// Rips dropped on the main window, in either view, go into the virtual drive like a disc.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QToolTip>

#include "app/Main.h"
#include "platform/ErrorReport.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/RememberedDisc.h"
#include "platform/cd/RipDrop.h"
#include "platform/cd/VirtualDrive.h"
#include "platform/registry/DriveList.h"

namespace {

// Accepts the drag only for something that can go in the drive; otherwise says why beside the
// pointer, so a refused drop is never a silent one.
void answerDrag(QDropEvent* event, QWidget* over) {
    QString refusal;
    if (corvina::cd::ripInDrop(event->mimeData()->urls(), refusal)) {
        QToolTip::hideText();
        event->acceptProposedAction();
        return;
    }
    event->ignore();
    QToolTip::showText(over->mapToGlobal(event->position().toPoint()), refusal, over);
}

}  // namespace

void TFormMain::dragEnterEvent(QDragEnterEvent* event) {
    answerDrag(event, this);
}

void TFormMain::dragMoveEvent(QDragMoveEvent* event) {
    answerDrag(event, this);
}

void TFormMain::dragLeaveEvent(QDragLeaveEvent*) {
    QToolTip::hideText();
}

void TFormMain::dropEvent(QDropEvent* event) {
    QToolTip::hideText();
    QString refusal;
    const std::optional<QString> rip = corvina::cd::ripInDrop(event->mimeData()->urls(), refusal);
    if (!rip) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    corvina::runHandler([&] { InsertRip(*rip); });
}

void TFormMain::InsertRip(const QString& path) {
    corvina::cd::DriveSet& drives = corvina::cd::DriveSet::instance();
    corvina::cd::VirtualDrive* drive = drives.virtualDrive();
    if (!drive) throw corvina::Error(QStringLiteral("这台播放器没有可以放入唱片的虚拟光驱。"));
    QString error;
    std::shared_ptr<corvina::cd::DiscSource> disc = corvina::cd::loadRip(path, error);
    if (!disc) {
        throw corvina::Error(
            QStringLiteral("无法放入这张唱片：%1\n%2").arg(QFileInfo(path).fileName(), error));
    }
    const QString absolute = QFileInfo(path).absoluteFilePath();
    drive->insert(std::move(disc), absolute);
    corvina::cd::rememberDisc(absolute);
    if (drives.defaultDrive() != drive) {
        // The device plays the default drive, and the drive list names it first.
        drives.makeDefault(drive);
        corvina::publishDriveBranch();
        DriveRoot = corvina::detectDriveRoot();
    }
    // As after a disc put in through the player's own tray: nothing commanded, so the tick
    // plays it.
    Playing = false;
    Paused = false;
    Stopped = false;
    DoorClosed = true;
    TimerCDTimer(TimerCD);
}
