#include "platform/tray/TrayShell.h"

namespace corvina {

std::array<char, NotifyIconRecord::kTipBytes> makeTip(const QString& hint, bool showHint) {
    std::array<char, NotifyIconRecord::kTipBytes> tip{};
    if (hint.isEmpty() || !showHint) return tip;
    const QByteArray text = hint.toUtf8();
    qsizetype length = std::min<qsizetype>(text.size(), NotifyIconRecord::kTipBytes - 1);
    // A cut inside a multi-byte character backs up to that character's first byte, so the tip
    // never ends in a broken character.
    if (length < text.size()) {
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    }
    std::copy_n(text.constData(), length, tip.begin());
    return tip;
}

}  // namespace corvina
