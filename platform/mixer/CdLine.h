#pragma once
// The player's own CD output as a mixer line: a volume per channel (0 .. 65535) and a mute
// switch, applied as gains to the PCM the drive plays (see audio::Gain) and kept across restarts
// in the settings folder, as a system mixer keeps its levels.
//
// The levels live in `Mixer.conf` ($XDG_CONFIG_HOME/Corvina/ by default):
//
//     [CD Audio]
//     Left=65535
//     Right=65535
//     Mute=0
//
// A change is applied to the sound at once and written a moment later (the bar sends many
// changes while dragged), atomically; `flush` writes at once. The file is watched: a change made
// by another process is taken over and reported through `changed`. A file that cannot be read,
// or holds something that is not a level, is reported once (stderr and the error report); the
// levels that could be read are used, the damaged file is kept beside it
// (Mixer.conf.corrupt-<date>-<time>) before it is ever written again, and a file that cannot be
// read at all is never overwritten. A missing file means full volume, not muted.
//
// UI thread only.
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

namespace corvina::mixer {

struct CdLevels {
    int left = 65535;
    int right = 65535;
    bool mute = false;
    bool operator==(const CdLevels&) const = default;
};

class CdLine : public QObject {
    Q_OBJECT
public:
    // `apply` puts levels into effect (the gain stage); called at once with what the file holds.
    CdLine(QString path, std::function<void(const CdLevels&)> apply, QObject* parent = nullptr);
    ~CdLine() override;

    // The file of the default settings folder.
    static QString defaultPath();

    const CdLevels& levels() const { return levels_; }
    // Applies at once, writes soon. Values are clamped to 0 .. 65535.
    void setLevels(const CdLevels& levels);
    // Writes a pending change now. False when the file could not be written.
    bool flush();
    // Reads the file again (as when it changed on disk); true when the levels changed.
    bool reload();

    // The levels changed by the file (another process), not by setLevels.
    std::function<void()> changed;

private:
    enum class Read { Missing, Ok, Damaged, Unreadable };
    Read readFile(CdLevels& out, int& badLine, QString& reason);
    void report(const QString& message);
    void watch();

    QString path_;
    std::function<void(const CdLevels&)> apply_;
    CdLevels levels_;
    bool writable_ = true;
    bool pending_ = false;
    bool writeReported_ = false;
    QByteArray lastText_;  // what the file held when last read or written
    QTimer saveTimer_;
    QFileSystemWatcher watcher_;
};

}  // namespace corvina::mixer
