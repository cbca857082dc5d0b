#include "platform/Convert.h"

#include "platform/ErrorReport.h"

namespace corvina {

int strToInt(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    const bool plain = !text.isEmpty() && !text.front().isSpace() && !text.back().isSpace();
    if (!ok || !plain) throw Error(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

}  // namespace corvina
