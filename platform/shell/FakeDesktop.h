#pragma once
// A desktop that opens and starts nothing: it records every request in order and fails on demand.
#include <QStringList>

#include "platform/shell/Desktop.h"

namespace corvina::shell {

class FakeDesktop : public Desktop {
public:
    // Fault switches.
    bool refuseUrls = false;      // no handler for any address
    QString programError;         // non-empty: every program start fails with this reason

    // "open URL" and "start PATH", in the order asked.
    QStringList requests;

    bool openUrl(const QUrl& url) override;
    bool startProgram(const QString& path, QString& error) override;
};

}  // namespace corvina::shell
