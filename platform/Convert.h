#pragma once
// Strict text-to-number conversion, as the player's handlers use it on device replies.
#include <QString>

namespace corvina {

// Decimal integer with an optional sign and leading zeros ("03" is 3). Blanks, an empty text,
// other characters or a value outside 32 bits raise corvina::Error
// "'<text>' is not a valid integer value".
int strToInt(const QString& text);

}  // namespace corvina
