#pragma once
// The drives the machine offers, found as DriveSet.h describes (CORVINA_DISC, real drives, the
// demo disc), the default drive first. DriveSet::instance() calls it once; it may block while
// real drives are asked for their discs.
#include <memory>
#include <vector>

#include "platform/cd/Drive.h"

namespace corvina::cd {

std::vector<std::unique_ptr<Drive>> probeDrives();

}  // namespace corvina::cd
