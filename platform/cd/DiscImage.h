#pragma once
// CD rips as discs: a .cue sheet (one BIN image, or one audio file per FILE line) or a folder
// of .wav/.flac files taken as tracks in file-name order (numbers in names counted as numbers,
// so "2.wav" comes before "10.wav"). Laid out like a pressed disc: track 1 starts at frame 150,
// PREGAP and POSTGAP become silence, data tracks are counted and play as silence.
//
// Audio files are read through libsndfile. Any sample format is taken and mono is played on
// both channels; other sample rates than 44100 Hz and more than two channels are refused.
#include <QString>
#include <memory>
#include <string>

#include "platform/cd/CueSheet.h"
#include "platform/cd/DiscSource.h"

namespace corvina::cd {

// The disc at `path` (a .cue file or a folder), or null with `error` saying why it cannot be
// played. Reads only the files' headers; each file is opened again and decoded by the thread
// that plays it (readSector), one file at a time.
std::shared_ptr<DiscSource> loadDiscImage(const QString& path, QString& error);

// Whether a folder's entry named `name` is one of its tracks (.wav, .flac) or a cue sheet, the
// suffix in any case.
bool isTrackFileName(const QString& name);
bool isCueFileName(const QString& name);

// The disc a parsed sheet describes; files are looked up relative to `folder`.
std::shared_ptr<DiscSource> loadCueSheet(const CueSheet& sheet, const QString& folder,
                                         QString& error);

}  // namespace corvina::cd
