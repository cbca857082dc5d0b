#pragma once
// What may be put in the virtual drive by dropping it on the player: exactly one local cue
// sheet (with its BIN image or audio files), Nero disc image (.nrg) or folder of .wav/.flac files (or holding one cue sheet).
//
// `ripInDrop` looks at names only, so a drag is answered at once; whether the rip really plays
// is found when it is loaded (`loadRip`, headers only). UI thread only.
#include <QList>
#include <QString>
#include <QUrl>
#include <memory>
#include <optional>

#include "platform/cd/DiscSource.h"

namespace corvina::cd {

// The rip's local path, or nullopt with `refusal` saying, for the user, why it cannot go in.
std::optional<QString> ripInDrop(const QList<QUrl>& urls, QString& refusal);

// The disc of a rip `ripInDrop` accepted, or null with `error` saying why it cannot be played.
std::shared_ptr<DiscSource> loadRip(const QString& path, QString& error);

}  // namespace corvina::cd
