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
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace corvina
