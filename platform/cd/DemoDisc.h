#pragma once
// The built-in demo disc: four short pieces of music computed on demand, so the player has
// something to play on a machine without a CD drive and carries no audio files. Every sector is
// computed on its own from its address, the same every time.
#include <memory>

#include "platform/cd/DiscSource.h"

namespace corvina::cd {

std::shared_ptr<DiscSource> makeDemoDisc();

}  // namespace corvina::cd
