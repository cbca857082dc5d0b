#include "tests/support/TestSupport.h"

namespace corvina::test {

ErrorCapture::ErrorCapture() {
    previous_ = setErrorSink([this](const QString& message) { messages_.append(message); });
}

ErrorCapture::~ErrorCapture() { setErrorSink(std::move(previous_)); }

}  // namespace corvina::test
