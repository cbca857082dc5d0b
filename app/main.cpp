// Program entry: one player per user. A second start hands over to the running one and ends
// without a window; the command line is not read.
#include <QGuiApplication>
#include <QScreen>

#include "app/Application.h"
#include "app/Main.h"
#include "app/MainMpris.h"
#include "app/SingleInstance.h"
#include "platform/ErrorReport.h"
#include "platform/registry/DriveList.h"

int main(int argc, char** argv) {
    corvina::prepareApplicationEnvironment();
    corvina::TApplication app(argc, argv);

    corvina::SingleInstance instance(corvina::SingleInstance::defaultServerName());
    if (!instance.claim()) return 0;

    // The drive detection of the main window's start-up reads the drive list published here.
    corvina::runHandler([] { corvina::publishDriveBranch(); });

    TFormMain form;
    const std::shared_ptr<void> mediaControls = corvina::startMediaControls(form);
    QObject::connect(&instance, &corvina::SingleInstance::activationRequested, &form,
                     [&form] { corvina::runHandler([&form] { form.WMActivateInstance(); }); });
    if (form.ShowMainForm) {
        // Centred on the desktop when first shown.
        const QRect desktop = QGuiApplication::primaryScreen()->geometry();
        form.move(desktop.x() + (desktop.width() - form.width()) / 2,
                  desktop.y() + (desktop.height() - form.height()) / 2);
        form.show();
    }
    return app.runMainLoop();
}
