#pragma once
// Names from the internet: one more source of a disc's names, after the title file and the
// disc's own names (CD-TEXT, cue sheet, tags). A disc they leave with its artist, album or an
// audio track unnamed is looked up online, MusicBrainz first, then gnudb; what is found fills
// only what the disc's own names leave empty, and the title file still wins wherever it names
// something. A lookup never writes the title file (the track list saves what it shows, as it
// does for the disc's own names).
//
// When. The poll tells `noticeDisc` which disc it shows. A disc not seen before in this run is
// considered once, in an event of its own a moment after the tick, so that neither the first
// window nor a tick or a button waits for it. No request is made for the demo disc, for a disc
// fully named, while the settings store's `OnlineLookup` is 0, or when no server is configured
// (lookup/Request.h). A disc found in the cache (lookup/Cache.h) is named from it without a
// request; any other is handed to the lookup helper. Whatever the helper's outcome, a disc is
// not asked again in the same run. The Preferences dialog's OK (`settingChanged`) looks up a
// disc passed over while lookups were off; switched off, a running lookup is stopped and found
// names are no longer shown.
//
// The lookup runs in a helper process, corvina-lookup (lookup/helper/main.cpp says why), one at a
// time, found beside the player or in <prefix>/libexec/corvina/. The helper writes the cache and
// says on stdout when names or the cover are there; the player then reads the cache entry, and
// the next tick shows the names.
//
// UI thread only.
#include <QString>

#include "platform/cd/DiscNames.h"

namespace corvina {
class TRegistry;
}

namespace corvina::lookup {

// The disc's own names (cd::discNames) with what was found online filling their empty names.
cd::DiscNames discNames(const QString& root);
// The front cover of the disc cd::discNames would name, as a file:// URL; empty when there is
// none.
QString coverArtUrl(const QString& root);

// The poll's report: the disc it shows (the drive `root`, as cd::discNames chooses) has the
// title file's section `section`.
void noticeDisc(const QString& root, const QString& section);
// The settings store's `OnlineLookup` may have changed.
void settingChanged();

// The tenth value of the settings key, `OnlineLookup`, read from the open key `registry`. A key
// written before the value existed lacks it; that reads as its default, on. A value of another
// type throws as TRegistry::readBool does.
bool readOnlineLookup(const TRegistry& registry);

// The gnudb identity (the CDDB `hello`): REG_SZ `GnudbEmail` under
// Software\Velmaro\Corvina\4.3\Lookup, else the address the build was given
// (lookup::contactAddress()).
QString gnudbEmail();

// Tests: forget every disc and stop a running lookup; use another helper program; whether a
// lookup is running or waiting.
void resetForTesting();
void setHelperForTesting(const QString& path);
bool busyForTesting();

}  // namespace corvina::lookup
