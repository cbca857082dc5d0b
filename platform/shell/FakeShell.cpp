#include "platform/shell/FakeShell.h"

namespace corvina::shell {

bool FakeShell::openUrl(const QUrl& url) {
    requests.append(QStringLiteral("open ") + url.toString());
    return !refuseUrls;
}

bool FakeShell::startProgram(const QString& path, QString& error) {
    requests.append(QStringLiteral("start ") + path);
    if (programError.isEmpty()) return true;
    error = programError;
    return false;
}

}  // namespace corvina::shell
