// Fuzzes the CD-TEXT pack decoder with what a drive might return: any bytes give names or
// nothing, never a read outside the input, at most 99 tracks with a performer list as long as
// the title list, and no text holding a NUL (a zero byte ends a text).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/cd/CdTextPacks.h"

namespace {

void check(const QString& text) {
    if (text.contains(QChar(u'\0'))) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto text = corvina::cd::decodeCdTextPacks(data, size);
    if (!text) return 0;
    if (text->trackTitles.size() > 99 || text->trackPerformers.size() != text->trackTitles.size())
        std::abort();
    check(text->title);
    check(text->performer);
    for (const QString& title : text->trackTitles) check(title);
    for (const QString& performer : text->trackPerformers) check(performer);
    return 0;
}
