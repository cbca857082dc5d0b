#include "app/Application.h"

#include "platform/ErrorReport.h"

namespace corvina {

void prepareApplicationEnvironment() {}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Corvina"));
    setApplicationDisplayName(QStringLiteral("Corvina CD 播放器"));
    setQuitOnLastWindowClosed(false);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    runHandler([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

}  // namespace corvina
