#pragma once
// Positions and lengths as the `cdaudio` command layer writes and reads them, in its three time
// formats. Pure functions over a TOC; frames are absolute CD frames (1/75 s, lead-in included).
#include <string>
#include <string_view>

#include "platform/cd/Drive.h"

namespace corvina::mci {

enum class TimeFormat { Tmsf, Msf, Milliseconds };

// Frames <-> milliseconds. Milliseconds are rounded to the nearest frame, so a position read
// back in milliseconds and sent again names the same frame.
long long framesToMs(long long frames);
long long msToFrames(long long ms);

// A position reply: TMSF "tt:mm:ss:ff" (within the track holding `frame`), MSF "mm:ss:ff"
// (absolute), milliseconds as a plain decimal count from frame 0.
std::string formatPosition(int frame, TimeFormat format, const cd::Toc& toc);
// A length reply: "mm:ss:ff" in TMSF and MSF, a decimal count in milliseconds.
std::string formatLength(int frames, TimeFormat format);

// A position in a command. TMSF: "t", "t:m", "t:m:s" or "t:m:s:f" ("3" and "03" are the start of
// track 3); MSF: "m", "m:s" or "m:s:f"; milliseconds: a decimal count. Gives the absolute frame,
// or an error: kErrBadInteger for text that is not a position, kErrOutOfRange for a position
// outside the disc's playable frames [first track's start, lead-out), negative ones included.
struct ParsedPosition {
    unsigned error = 0;
    int frame = 0;
};
ParsedPosition parsePosition(std::string_view text, TimeFormat format, const cd::Toc& toc);

// A strict unsigned decimal (digits only, leading zeros allowed); -1 when it is not one, -2 when
// it is a negative number, -3 when it is too large.
long long parseCount(std::string_view text);

}  // namespace corvina::mci
