#include "platform/shell/FakeDesktop.h"

namespace corvina::shell {

bool FakeDesktop::openUrl(const QUrl& url) {
    requests.append(QStringLiteral("open ") + url.toString());
    return !refuseUrls;
}

bool FakeDesktop::startProgram(const QString& path, QString& error) {
    requests.append(QStringLiteral("start ") + path);
    if (programError.isEmpty()) return true;
    error = programError;
    return false;
}

}  // namespace corvina::shell
