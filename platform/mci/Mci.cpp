#include "platform/mci/Mci.h"

namespace corvina::mci {

// Stand-in until the command interpreter lands: every command fails.
unsigned sendString(std::string_view, char*, std::size_t) { return kErrDeviceNotReady; }

}  // namespace corvina::mci
