#pragma once
// The media control interface for the `cdaudio` device: command strings in, replies out.
//
// Vocabulary: open cdaudio alias NAME [wait] [shareable]; close NAME; set NAME time format
// tmsf|milliseconds; set NAME door open|closed; set NAME audio left|right|all on|off;
// play NAME [from POS] [to POS]; stop NAME; pause NAME; seek NAME to POS|start|end; status NAME
// media present|number of tracks|length|length track N|position|position track N|current track|
// mode|ready|time format. "wait" is accepted after any command; keywords and aliases are
// case-insensitive. "open cdaudio" binds the alias to the default drive of cd::DriveSet.
// Reply forms: "true"/"false"; a track count without padding ("9", "12"); TMSF lengths
// "mm:ss:ff"; TMSF positions "tt:mm:ss:ff"; milliseconds as a plain decimal count.
//
// CORVINA_MCI_LOG=PATH appends "command<TAB>result<TAB>reply" per command (control characters
// in the command are written as blanks so that each command stays one line).
//
// UI thread only; every command returns promptly.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace corvina::mci {

// Error codes (0 is success).
enum : unsigned {
    kOk = 0,
    kErrUnrecognizedCommand = 261,
    kErrInvalidDeviceName = 263,
    kErrDeviceNotReady = 276,
    kErrOutOfRange = 282,
    kErrBadTimeFormat = 281,
    kErrMissingParameter = 273,
    kErrHardware = 262,
    kErrDuplicateAlias = 289,
    kErrUnrecognizedKeyword = 259,  // a word the verb does not take
    kErrBadInteger = 274,           // a position or number that is not one
};

// Sends one command. `reply` (may be null) receives the reply text, cut to `replySize` - 1
// characters and zero-terminated (a command without a reply gives the empty text); on failure it
// is left as it was.
unsigned sendString(std::string_view command, char* reply = nullptr, std::size_t replySize = 0);

// Diagnosis and tests: sees every command with its result code and full reply text.
using CommandObserver =
    std::function<void(std::string_view command, unsigned result, std::string_view reply)>;
CommandObserver setCommandObserver(CommandObserver observer);  // returns the previous one

// Tests: may rewrite a successful reply before it reaches the caller (garbage replies).
using ReplyFilter = std::function<void(std::string_view command, std::string& reply)>;
ReplyFilter setReplyFilter(ReplyFilter filter);  // returns the previous one

// Tests: closes every open alias and forgets all device state (the drive set is kept).
void resetForTesting();

}  // namespace corvina::mci
