// Fuzzes the decoding of names a disc carries (cue sheets, tags, CD-TEXT): lines of the input are
// the names of one disc. They are taken as UTF-8 exactly when every one of them is valid UTF-8
// on its own (checked here independently), and then decode to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/cd/DiscNames.h"

namespace {

// Well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF, nothing cut off).
bool validUtf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        int more = 0;
        unsigned lo = 0x80, hi = 0xBF;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (i + more >= s.size()) return false;  // cut off
        for (int k = 1; k <= more; ++k) {
            const unsigned char d = static_cast<unsigned char>(s[i + k]);
            if (d < (k == 1 ? lo : 0x80) || d > (k == 1 ? hi : 0xBF)) return false;
        }
        i += more + 1;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> names;
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            names.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    names.push_back(current);

    bool expected = true;
    for (const std::string& name : names) expected = expected && validUtf8(name);
    const bool utf8 = corvina::cd::allUtf8(names);
    if (utf8 != expected) std::abort();
    for (const std::string& name : names) {
        const QString decoded = corvina::cd::decodeName(name, utf8);
        if (utf8 && decoded.toUtf8() != QByteArray(name.data(), qsizetype(name.size())))
            std::abort();
        if (!name.empty() && decoded.isEmpty()) std::abort();
    }
    return 0;
}
