#pragma once
// CD-TEXT as a drive returns it from the disc's lead-in (READ TOC format 5, libcdio's
// `cdio_get_cdtext_raw`): 18-byte packs, with or without the 4-byte header of the reply (its
// first two bytes, big-endian, count the bytes after them). Decoded into the disc's album and
// track names.
//
// One pack: type (0x80 title, 0x81 performer, ... 0x8F size information), track number,
// sequence number, a byte holding the double-byte flag, the block number and the character
// position, 12 bytes of text, a CRC-16. Texts run on across packs, each ending in a zero byte
// (two in double-byte blocks); a text of one tab (two in double-byte blocks) repeats the
// previous track's. A block is one language; its size information declares its character code.
//
// The bytes come from a disc and are not trusted: a pack with a wrong CRC is left out (a reply
// whose CRCs are all zero, as some drives give, is taken as it is), sizes and track numbers are
// checked, and the texts after a missing pack are found again from the next pack's track number
// and character position instead of shifting onto the wrong tracks.
//
// Pure decoding, any thread.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/cd/Drive.h"

namespace corvina::cd {

// The album title and performer and the tracks' titles and performers of one block: the block
// in Chinese when the disc has one, else block 0 (see the .cpp for the choice). Track n is
// trackTitles[n - 1], as far as the last track with a text. Nullopt when no pack holds text.
std::optional<CdText> decodeCdTextPacks(const std::uint8_t* data, std::size_t size);

// The CRC a pack carries in its last two bytes, computed over its first 16: CRC-16 with the
// polynomial x^16 + x^12 + x^5 + 1, starting from 0, inverted, stored big-endian.
std::uint16_t cdTextPackCrc(const std::uint8_t* pack);

}  // namespace corvina::cd
