#pragma once
// Helpers shared by the test programs.
#include <QString>
#include <QStringList>

#include "platform/ErrorReport.h"

namespace corvina::test {

// Collects the messages the application's error report shows, for as long as it lives.
class ErrorCapture {
public:
    ErrorCapture();
    ~ErrorCapture();
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;
    const QStringList& messages() const { return messages_; }

private:
    QStringList messages_;
    ErrorSink previous_;
};

// Collects the notices (showNotice) for as long as it lives.
class NoticeCapture {
public:
    NoticeCapture();
    ~NoticeCapture();
    NoticeCapture(const NoticeCapture&) = delete;
    NoticeCapture& operator=(const NoticeCapture&) = delete;
    const QStringList& messages() const { return messages_; }

private:
    QStringList messages_;
    ErrorSink previous_;
};

// The private scratch folder of this test program (XDG_CONFIG_HOME and XDG_DATA_HOME point into
// it, so no test touches the real home folder).
QString scratchDir();

}  // namespace corvina::test
