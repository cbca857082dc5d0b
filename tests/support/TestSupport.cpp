#include "tests/support/TestSupport.h"

namespace corvina::test {

ErrorCapture::ErrorCapture() {
    previous_ = setErrorSink([this](const QString& message) { messages_.append(message); });
}

ErrorCapture::~ErrorCapture() { setErrorSink(std::move(previous_)); }

NoticeCapture::NoticeCapture() {
    previous_ = setNoticeSink([this](const QString& message) { messages_.append(message); });
}

NoticeCapture::~NoticeCapture() { setNoticeSink(std::move(previous_)); }

}  // namespace corvina::test
