// The desktop files the player reads back, on arbitrary input: the mimeapps.list editor (no
// crash or out-of-bounds access, the player first after a set and gone after an unset, the other
// defaults kept in order, and a set followed by an unset giving back the text it started from)
// and the test for the player's own mark in a desktop entry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/desktop/DesktopFiles.h"
#include "platform/desktop/MimeApps.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvina::desktop;
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray type("x-content/audio-cdda");
    const QByteArray id("corvina.desktop");

    // Whether an entry is the player's own, read as unchecking a box reads it: must not crash.
    if (isPlayersEntry(text) && !text.contains("X-Corvina-Integration=true")) std::abort();
    const QList<QByteArray> before = defaultApplications(text, type);
    const QByteArray set = setDefaultApplication(text, type, id);
    const QByteArray unset = unsetDefaultApplication(set, type, id);

    // First already: nothing to change. Otherwise the player first, then the others in order.
    QList<QByteArray> expected = before;
    if (before.isEmpty() || before.front() != id) {
        expected.removeAll(id);
        expected.prepend(id);
    } else if (set != text) {
        std::abort();
    }
    if (defaultApplications(set, type) != expected) std::abort();
    if (defaultApplications(unset, type).contains(id)) std::abort();
    if (setDefaultApplication(set, type, id) != set) std::abort();

    // Exact only where the player's entry was nowhere, and not for a [Default Applications]
    // group that was already empty: an unset takes a group left empty with it.
    if (!text.contains(id) && (!text.contains("[Default Applications]") || !before.isEmpty()) &&
        unset != text)
        std::abort();
    return 0;
}
