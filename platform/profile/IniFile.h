#pragma once
// Profile (INI) files with the behaviour of the Windows profile functions: section and key names
// match without regard to case; a read drops blanks around the value and one pair of enclosing
// quotation marks, returns at most 2047 characters, and returns the default when the file,
// section or key is missing; a write creates file, section and key as needed and keeps every
// other line as it was. Files are GBK text with CRLF line ends (LF files read too); every write
// is atomic. A failed write throws corvina::Error "Unable to write to <full path>".
//
// Reads are cheap: each file's parsed text is kept between accessors and dropped as soon as
// the file on disk is another one (device, inode), or its size, modification or change time
// differs, so every read still sees the file as it is on disk. A write that would leave the
// file exactly as it is writes nothing.
//
// UI thread only.
#include <QString>
#include <vector>

#include "platform/profile/ProfileText.h"

namespace corvina {

// Short-lived accessor for one file, used within one handler.
class TIniFile {
public:
    explicit TIniFile(const QString& fileName);
    const QString& fileName() const { return fileName_; }

    QString readString(const QString& section, const QString& key, const QString& def) const;
    void writeString(const QString& section, const QString& key, const QString& value);

    // Between these two, writes are collected and reach the disk together at endUpdate(), in one
    // replacement of the file: all of them or, when that fails, none (endUpdate() then throws as
    // writeString does). Reads meanwhile see the file as it is on disk. Without an update every
    // write reaches the disk at once.
    void beginUpdate();
    void endUpdate();

private:
    void write(const std::vector<profile::Edit>& edits);

    QString fileName_;
    QString path_;  // absolute
    bool updating_ = false;
    std::vector<profile::Edit> pending_;
};

// The disc title database "CorvinaCD.ini": beside the executable, or, where that folder cannot
// be written, in the per-user data folder ($XDG_DATA_HOME/Corvina/). CORVINA_TITLE_FILE=PATH
// names another file instead.
QString discTitleFilePath();

// The same choice for a given program folder and per-user data folder (for tests and tools).
QString discTitleFilePath(const QString& programDir, const QString& userDataDir);

// Writes to `fileName` go to `target` instead. Reads use `target` once it exists and `fileName`
// until then; the first write starts `target` as a copy of `fileName` (creating its folder).
// Used for a title file beside a program folder that cannot be written.
void redirectProfileWrites(const QString& fileName, const QString& target);

}  // namespace corvina
