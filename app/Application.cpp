#include "app/Application.h"

#include "platform/ErrorReport.h"
#include "platform/Fonts.h"
#include "resources/Skin.h"

namespace corvina {

void prepareApplicationEnvironment() {
    // The compiled-in resources are readable before the application object exists.
    prepareFontConfiguration();
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Corvina"));
    setApplicationDisplayName(QStringLiteral("Corvina CD 播放器"));
    // The player ends through its own exit sequence, never because a window closed.
    setQuitOnLastWindowClosed(false);
    installFontSubstitutions();
    setWindowIcon(skin::mainIcon());
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    // Last line of defence: a handler that throws out of an event ends there and is reported.
    bool handled = false;
    runHandler([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

}  // namespace corvina
