#include "app/CdDevice.h"

#include <cstring>

#include "platform/mci/Mci.h"

namespace corvina {

QString replyText(const char* data, std::size_t size) {
    const void* zero = std::memchr(data, 0, size);
    const std::size_t length = zero ? static_cast<const char*>(zero) - data : size;
    return QString::fromLocal8Bit(data, static_cast<qsizetype>(length));
}

void cdSendRaw(const QString& command, char* reply, std::size_t size) {
    const QByteArray text = command.toLocal8Bit();
    mci::sendString(std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
                    reply, size);
}

QString cdCommand(const char* pattern) {
    return QString::fromLatin1(pattern).arg(QLatin1String(kCdAlias));
}

void cdSend(const QString& command) {
    cdSendRaw(command, nullptr, 0);
}

QString field(const QString& text, int pos, int count) {
    return text.mid(pos - 1, count);
}

}  // namespace corvina
