// The registry store's file parser on arbitrary input: it must not crash, and whatever it reads
// must write out and read back to the very same tree and text.
#include <cstddef>
#include <cstdint>

#include "platform/registry/RegFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvina::registry;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString root = QStringLiteral("HKEY_CURRENT_USER");
    const ParseResult first = parseRegFile(bytes, root);
    const QByteArray text = formatRegFile(first.root, root);
    const ParseResult second = parseRegFile(text, root);
    if (second.badLines != 0 || !(second.root == first.root)) __builtin_trap();
    if (formatRegFile(second.root, root) != text) __builtin_trap();
    return 0;
}
