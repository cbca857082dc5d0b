#include "app/Application.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <QWidget>
#include <csignal>

#include "platform/ErrorReport.h"
#include "platform/Fonts.h"
#include "platform/shell/DisplayPlatform.h"
#include "resources/Skin.h"

namespace corvina {
namespace {

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    // Only async-signal-safe work here; the event loop does the rest.
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

void prepareApplicationEnvironment() {
    // The compiled-in resources are readable before the application object exists.
    prepareFontConfiguration();
    shell::chooseDisplayPlatform();
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Corvina"));
    // No display name: on X11 Qt would append it to every window title, and the main window's
    // title is the taskbar text the player sets itself.
    // The player ends through its own exit sequence, never because a window closed.
    setQuitOnLastWindowClosed(false);
    installFontSubstitutions();
    setWindowIcon(skin::mainIcon());
    installTerminationHandler();
}

TApplication::~TApplication() {
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) std::signal(sig, SIG_DFL);
}

void TApplication::installTerminationHandler() {
    if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte;
        [[maybe_unused]] ssize_t n = ::read(signalPipe[0], &byte, 1);
        terminationRequested();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
}

void TApplication::terminationRequested() {
    for (QWidget* widget : topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("FormMain")) {
            widget->close();  // its close handler runs the exit sequence, which quits
            return;
        }
    }
    quit();
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    // Last line of defence: a handler that throws out of an event ends there and is reported.
    bool handled = false;
    runHandler([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

}  // namespace corvina
