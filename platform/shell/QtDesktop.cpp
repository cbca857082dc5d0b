// The desktop's own handlers through Qt: xdg-open (or the desktop portal) behind
// QDesktopServices, and a detached process for programs.
#include <QDesktopServices>
#include <QProcess>

#include "platform/shell/Desktop.h"

namespace corvina::shell {
namespace {

class QtDesktop : public Desktop {
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

std::unique_ptr<Desktop>& installed() {
    static std::unique_ptr<Desktop> desktop;
    return desktop;
}

}  // namespace

Desktop& desktop() {
    if (!installed()) installed() = std::make_unique<QtDesktop>();
    return *installed();
}

void setDesktop(std::unique_ptr<Desktop> desktop) { installed() = std::move(desktop); }

}  // namespace corvina::shell
