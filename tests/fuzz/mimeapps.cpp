// The mimeapps.list editor on arbitrary input: setting and unsetting the player's entry, and
// reading the defaults back, must never crash or touch memory out of bounds.
#include <cstddef>
#include <cstdint>

#include "platform/desktop/MimeApps.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvina::desktop;
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray type("x-content/audio-cdda");
    const QByteArray id("corvina.desktop");

    const QByteArray set = setDefaultApplication(text, type, id);
    const QByteArray unset = unsetDefaultApplication(set, type, id);
    return int(defaultApplications(text, type).size() + defaultApplications(set, type).size() +
               defaultApplications(unset, type).size()) * 0;
}
