#include "platform/shell/DisplayPlatform.h"

#include <QtGlobal>

namespace corvina::shell {

QByteArray chooseDisplayPlatform() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return {};
    const bool wayland =
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
    // Without an X server to reach, the toolkit's own choice is the only one that can work.
    if (!wayland || qEnvironmentVariableIsEmpty("DISPLAY")) return {};
    const QByteArray platform = "xcb";
    qputenv("QT_QPA_PLATFORM", platform);
    return platform;
}

bool preferSocketImageTransfer() {
    if (qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) return false;
    qputenv("QT_XCB_NO_MITSHM", "1");
    return true;
}

}  // namespace corvina::shell
