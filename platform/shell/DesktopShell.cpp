// The desktop's own handlers through Qt: xdg-open (or the desktop portal) behind
// QDesktopServices, and a detached process for programs.
#include <QDesktopServices>
#include <QProcess>

#include "platform/shell/Shell.h"

namespace corvina::shell {
namespace {

class DesktopShell : public Shell {
public:
    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }

    bool startProgram(const QString& path, QString& error) override {
        QProcess process;
        process.setProgram(path);
        if (process.startDetached()) return true;
        error = process.errorString();
        return false;
    }
};

std::unique_ptr<Shell>& installed() {
    static std::unique_ptr<Shell> shell;
    return shell;
}

}  // namespace

Shell& current() {
    if (!installed()) installed() = std::make_unique<DesktopShell>();
    return *installed();
}

void install(std::unique_ptr<Shell> shell) { installed() = std::move(shell); }

}  // namespace corvina::shell
