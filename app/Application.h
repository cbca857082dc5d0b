#pragma once
// The application object: title, fonts, icon, and the one place where a handler's uncaught error
// ends up (the error report) instead of ending the program.
#include <QApplication>

namespace corvina {

// Must run before the application object exists: points fontconfig at the player's own font
// set-up (so "宋体" and "MS Sans Serif" find crisp faces) and similar process-wide settings.
void prepareApplicationEnvironment();

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;
    bool notify(QObject* receiver, QEvent* event) override;

    // Runs the main event loop (call instead of exec()). A termination request that came while
    // the main window was still being created ends the player here, through the exit sequence.
    int runMainLoop();

    // SIGTERM, SIGINT and SIGHUP (logout, kill, Ctrl+C in a terminal) end the player within two
    // seconds whatever is on screen: the main window is closed like by the system's close
    // command, so the exit sequence still stops the disc and closes the device; every event loop
    // (message boxes, dialogs, menus) is left, and nothing reported from then on waits for a
    // click (it goes to stderr and the error log). Should the sequence hang (a drive that does
    // not answer), the process ends anyway two seconds after the signal.
    void terminationRequested();
    bool terminating() const { return terminating_; }

private:
    void installTerminationHandler();
    void closeMainWindow();

    bool mainLoopRunning_ = false;
    bool terminating_ = false;
};

}  // namespace corvina
