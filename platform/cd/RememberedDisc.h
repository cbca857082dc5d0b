#pragma once
// The rip left in the virtual drive, kept across starts like a disc left in a real drive: one
// line of UTF-8 text, its absolute path, in the file "VirtualDisc" of the settings folder
// ($XDG_CONFIG_HOME/Corvina/). No file means no rip.
//
// UI thread only.
#include <QString>
#include <optional>

namespace corvina::cd {

QString rememberedDiscFile();

// The remembered path; nullopt when none is remembered. A file that cannot be read, or holds
// no path, reads as none and says why in `problem`.
std::optional<QString> rememberedDisc(QString& problem);

// Remembers `path` (absolute), or forgets the rip when it is empty. Written atomically; false
// (said once on stderr) when the settings folder cannot be written.
bool rememberDisc(const QString& path);

}  // namespace corvina::cd
