#pragma once
// A Nero disc image (.nrg), read through libcdio: its TOC and its audio sectors. Cue sheets go
// through DiscImage.h, which follows their FILE lines. cdrdao TOC files are not taken: libcdio
// looks for their data files in the current folder rather than beside the TOC file.
#include <QString>
#include <memory>

#include "platform/cd/DiscSource.h"

namespace corvina::cd {

// The disc in the Nero image at `path`, or null with `error` saying why it cannot be played.
std::shared_ptr<DiscSource> loadCdioImage(const QString& path, QString& error);

}  // namespace corvina::cd
