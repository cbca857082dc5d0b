#include <memory>
#include <vector>

#include "platform/cd/Drive.h"

namespace corvina::cd {

std::vector<std::unique_ptr<Drive>> probeDrives() {
    return {};
}

}  // namespace corvina::cd
