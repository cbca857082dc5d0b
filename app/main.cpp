// Program entry: one player per user. A second start hands over to the running one and ends
// without a window; the command line is not read.
#include <QGuiApplication>
#include <QScreen>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/Application.h"
#include "app/Main.h"
#include "app/MainDrives.h"
#include "app/MainMpris.h"
#include "app/SingleInstance.h"
#include "platform/ErrorReport.h"
#include "platform/cd/DriveSet.h"
#include "platform/registry/DriveList.h"

int main(int, char** argv) {
    corvina::prepareApplicationEnvironment();
    // Qt would act on options of its own (-qwindowgeometry, -style, -reverse, -display ...):
    // the application sees the program's name alone, so every start behaves the same whatever
    // the desktop or the user passes ("/play %1", a device, a track file).
    static char fallbackName[] = "corvina";
    int qtArgc = 1;
    char* qtArgv[] = {argv[0] ? argv[0] : fallbackName, nullptr};
    corvina::TApplication app(qtArgc, qtArgv);

    corvina::SingleInstance instance(corvina::SingleInstance::defaultServerName());
    if (!instance.claim()) return 0;

    // The drive detection of the main window's start-up reads the drive list published here.
    corvina::runHandler([] { corvina::publishDriveBranch(); });

    TFormMain form;
    const std::shared_ptr<void> mediaControls = corvina::startMediaControls(form);
    const std::shared_ptr<void> driveWatch = corvina::startDriveWatch(form);
    QObject::connect(&instance, &corvina::SingleInstance::activationRequested, &form,
                     [&form] { corvina::runHandler([&form] { form.WMActivateInstance(); }); });
    if (form.ShowMainForm) {
        // Centred on the desktop when first shown.
        const QRect desktop = QGuiApplication::primaryScreen()->geometry();
        form.move(desktop.x() + (desktop.width() - form.width()) / 2,
                  desktop.y() + (desktop.height() - form.height()) / 2);
        form.show();
    }
    const int result = app.runMainLoop();
    // Whatever a drive is doing, the player ends within two seconds of being asked to: a drive
    // still busy then is left to the end of the process.
    if (!corvina::cd::DriveSet::end(std::chrono::milliseconds(1500))) {
        std::fflush(nullptr);
        std::_Exit(result);
    }
    return result;
}
