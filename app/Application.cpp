#include "app/Application.h"

#include <sys/socket.h>
#include <sys/time.h>
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

// The last resort once a termination was asked for: the exit sequence did not end the process in
// time (a drive or sound device that does not answer). Ending the process releases both.
void onDeadline(int) {
    static const char message[] = "corvina: the exit sequence did not finish in time; ending now\n";
    [[maybe_unused]] ssize_t n = ::write(STDERR_FILENO, message, sizeof message - 1);
    ::_exit(1);
}

// Signal to the end of the process at most 2 s, with room for the process to wind down.
constexpr int kDeadlineMs = 1800;

void armDeadline() {
    struct sigaction action = {};
    action.sa_handler = onDeadline;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, nullptr);
    itimerval deadline = {};
    deadline.it_value.tv_sec = kDeadlineMs / 1000;
    deadline.it_value.tv_usec = (kDeadlineMs % 1000) * 1000;
    setitimer(ITIMER_REAL, &deadline, nullptr);
}

}  // namespace

void prepareApplicationEnvironment() {
    // Without a session bus in the environment, the D-Bus library would start one for the X
    // display (dbus-launch) the moment anything looks for the bus: a process that outlives the
    // player and a fork before the first window. A user bus, where there is one, is at its
    // standard place; elsewhere the player does without.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")) {
        // "disabled:" is no transport the library knows, so it fails at once instead of
        // launching a bus.
        qputenv("DBUS_SESSION_BUS_ADDRESS",
                runtime.isEmpty() ? QByteArray("disabled:") : "unix:path=" + runtime + "/bus");
    }
    // The compiled-in resources are readable before the application object exists.
    prepareFontConfiguration();
    shell::chooseDisplayPlatform();
    shell::preferSocketImageTransfer();
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
    // A second signal while the first is being handled changes nothing: the deadline stands.
    if (terminating_) return;
    terminating_ = true;
    armDeadline();
    setReportsQuiet(true);
    if (!mainLoopRunning_) {
        // Still starting (the splash, an error box of start-up): leave whatever loop runs now;
        // runMainLoop() ends the player once the main window exists.
        exit(0);
        return;
    }
    closeMainWindow();
    // The exit sequence quits the application; this also covers a main window that is gone.
    exit(0);
}

void TApplication::closeMainWindow() {
    for (QWidget* widget : topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("FormMain")) {
            widget->close();  // its close handler runs the exit sequence, which quits
            return;
        }
    }
}

int TApplication::runMainLoop() {
    if (terminating_) {
        closeMainWindow();
        return 0;
    }
    mainLoopRunning_ = true;
    const int result = exec();
    mainLoopRunning_ = false;
    return result;
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    // Last line of defence: a handler that throws out of an event ends there and is reported.
    bool handled = false;
    runHandler([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

}  // namespace corvina
