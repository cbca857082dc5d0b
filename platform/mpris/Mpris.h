#pragma once
// Desktop media controls: the player on the session bus as org.mpris.MediaPlayer2.corvina
// (MPRIS 2, the root and Player interfaces; no track list). Media keys, desktop widgets and
// `playerctl` all speak it.
//
// The service is a thin adaptor: every call goes to the `MprisPlayer` the player gives it (the
// main window's own handlers, as the buttons use them), and every property reads that player's
// state. `notifyChanged` compares the state with what was last announced and sends one
// PropertiesChanged with what differs; the poll calls it after every tick.
//
// Without a session bus (or when the name cannot be had) nothing is started and the player
// runs as before, silently. UI thread only.
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <memory>

namespace corvina::mpris {

// What the bus is told about the player; times in microseconds.
struct PlayerState {
    QString status = QStringLiteral("Stopped");  // "Playing", "Paused" or "Stopped"
    bool discPresent = false;                    // the transport may be used
    int track = 0;                               // 1-based; 0: none
    QString title;
    QString artist;
    QString album;
    QString artUrl;  // the disc's cover as a file:// URL; empty: none
    qint64 length = 0;
    qint64 position = 0;
    double volume = 1.0;  // 0.0 .. 1.0
    bool volumeSettable = false;

    bool operator==(const PlayerState&) const = default;
};

// The player's side: each call does what the matching button or menu item does.
class MprisPlayer {
public:
    virtual ~MprisPlayer() = default;
    virtual PlayerState state() const = 0;
    virtual void raise() = 0;
    virtual void quit() = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    // Moves the position by `offset` microseconds (negative: back).
    virtual void seek(qint64 offset) = 0;
    virtual void setVolume(double volume) = 0;
};

// The bus name, object path and metadata the service uses (tests look at them).
inline constexpr const char* kServiceName = "org.mpris.MediaPlayer2.corvina";
inline constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";
// The mpris:trackid of track n.
QString trackId(int track);
QVariantMap metadata(const PlayerState& state);

// Puts `player` on the session bus; false (and nothing done) without one. The player must
// outlive the service (stopService, or the end of the program).
bool startService(MprisPlayer& player);
void stopService();
// Tells the bus what changed since it was last told (nothing when no service runs). Never
// throws.
void notifyChanged() noexcept;

// Calls notifyChanged when it goes out of scope, however the scope ends (the poll uses it, so a
// tick cut short still reports what it changed).
struct ChangeReport {
    ChangeReport() = default;
    ChangeReport(const ChangeReport&) = delete;
    ChangeReport& operator=(const ChangeReport&) = delete;
    ~ChangeReport() { notifyChanged(); }
};

}  // namespace corvina::mpris
