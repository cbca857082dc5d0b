#include "platform/desktop/SystemDirs.h"

namespace corvina {

QString windowsDirectory() {
    return QStringLiteral("C:\\windows");
}

QString systemDirectory() {
    return windowsDirectory() + QStringLiteral("\\system32");
}

}  // namespace corvina
