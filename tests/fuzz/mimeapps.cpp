// The mimeapps.list editor on arbitrary input: it must not crash, the player's entry must come
// first after setting it and be gone after unsetting it, and a set followed by an unset must give
// back a file that did not name the player the very same bytes.
#include <cstddef>
#include <cstdint>

#include "platform/desktop/MimeApps.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvina::desktop;
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray type("x-content/audio-cdda");
    const QByteArray id("corvina.desktop");

    const QByteArray set = setDefaultApplication(text, type, id);
    const QList<QByteArray> defaults = defaultApplications(set, type);
    if (defaults.isEmpty() || defaults.first() != id) __builtin_trap();

    const QByteArray unset = unsetDefaultApplication(set, type, id);
    if (defaultApplications(unset, type).contains(id)) __builtin_trap();
    if (!defaultApplications(text, type).contains(id) && unset != text) __builtin_trap();
    return 0;
}
