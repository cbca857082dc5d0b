// Fuzzes the command interpreter: each input line is a command sent to a scripted drive, with a
// reply buffer whose size comes from the first byte. Replies must stay inside their buffer and
// end in a zero; nothing may crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/cd/DriveSet.h"
#include "platform/cd/FakeDrive.h"
#include "platform/mci/Mci.h"

using namespace corvina;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static cd::FakeDrive* drive = [] {
        auto fake = std::make_unique<cd::FakeDrive>(std::vector<int>{4000, 20, 13000, 75, 9000});
        cd::FakeDrive* raw = fake.get();
        std::vector<std::unique_ptr<cd::Drive>> drives;
        drives.push_back(std::move(fake));
        cd::DriveSet::install(std::move(drives));
        return raw;
    }();
    mci::resetForTesting();
    drive->setDisc(cd::FakeDrive::makeToc({4000, 20, 13000, 75, 9000}));
    drive->setDoorOpen(false);
    if (size == 0) return 0;
    const std::size_t replySize = data[0] % 48;
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<char> reply(replySize + 1);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::memset(reply.data(), 'x', reply.size());
        const unsigned result =
            mci::sendString(line, replySize ? reply.data() : nullptr, replySize);
        if (reply[replySize] != 'x') std::abort();  // wrote past the buffer
        if (result == 0 && replySize && !std::memchr(reply.data(), 0, replySize)) std::abort();
        drive->advance(static_cast<int>(line.size()) * 37);
    }
    return 0;
}
