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

private:
    // SIGTERM, SIGINT and SIGHUP (logout, kill, Ctrl+C in a terminal) close the main window like
    // the system's close command, so the exit sequence still stops the disc and closes the device.
    void installTerminationHandler();
    void terminationRequested();
};

}  // namespace corvina
