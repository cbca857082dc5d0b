#include "platform/mpris/Mpris.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QObject>
#include <algorithm>
#include <optional>

#include "platform/mpris/MprisAdaptors.h"

namespace corvina::mpris {
namespace {

constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";

struct Service {
    MprisPlayer* player = nullptr;
    std::unique_ptr<QObject> object;  // carries the adaptors
    PlayerAdaptor* adaptor = nullptr;
    QString name;
    PlayerState announced;
};

std::optional<Service>& service() {
    static std::optional<Service> running;
    return running;
}

// What an MPRIS client is told changed between two states (Position is read, never announced).
QVariantMap changes(const PlayerState& before, const PlayerState& now) {
    QVariantMap changed;
    if (before.status != now.status) changed.insert("PlaybackStatus", now.status);
    if (metadata(before) != metadata(now)) changed.insert("Metadata", metadata(now));
    if (before.volume != now.volume) changed.insert("Volume", now.volume);
    if (before.discPresent != now.discPresent) {
        for (const char* name : {"CanGoNext", "CanGoPrevious", "CanPlay", "CanPause", "CanSeek"})
            changed.insert(QLatin1String(name), now.discPresent);
    }
    return changed;
}

}  // namespace

QString trackId(int track) {
    if (track < 1) return QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
    return QStringLiteral("/org/corvina/track/%1").arg(track);
}

QVariantMap metadata(const PlayerState& state) {
    QVariantMap map;
    if (!state.discPresent || state.track < 1) return map;
    map.insert("mpris:trackid", QVariant::fromValue(QDBusObjectPath(trackId(state.track))));
    map.insert("mpris:length", QVariant::fromValue(qlonglong(state.length)));
    map.insert("xesam:title", state.title);
    map.insert("xesam:artist", QStringList{state.artist});
    map.insert("xesam:album", state.album);
    map.insert("xesam:trackNumber", state.track);
    // Only a picture there is: a desktop widget shows its own placeholder without one.
    if (!state.artUrl.isEmpty()) map.insert("mpris:artUrl", state.artUrl);
    return map;
}

RootAdaptor::RootAdaptor(QObject* object, MprisPlayer& player)
    : QDBusAbstractAdaptor(object), player_(player) {}

QString RootAdaptor::identity() const {
    return QStringLiteral("Corvina CD 播放器");
}

QString RootAdaptor::desktopEntry() const {
    return QStringLiteral("corvina");
}

void RootAdaptor::Raise() {
    player_.raise();
}

void RootAdaptor::Quit() {
    player_.quit();
}

PlayerAdaptor::PlayerAdaptor(QObject* object, MprisPlayer& player)
    : QDBusAbstractAdaptor(object), player_(player) {}

void PlayerAdaptor::setVolume(double volume) {
    if (!player_.state().volumeSettable) return;
    player_.setVolume(std::clamp(volume, 0.0, 1.0));
    notifyChanged();
}

// Each call changes the player through its own handlers, which run a tick; the tick announces
// what changed.
void PlayerAdaptor::Next() {
    player_.next();
}

void PlayerAdaptor::Previous() {
    player_.previous();
}

void PlayerAdaptor::Pause() {
    if (player_.state().status == QLatin1String("Playing")) player_.pause();
}

void PlayerAdaptor::PlayPause() {
    if (player_.state().status == QLatin1String("Playing"))
        player_.pause();
    else
        player_.play();
}

void PlayerAdaptor::Stop() {
    player_.stop();
}

void PlayerAdaptor::Play() {
    player_.play();
}

void PlayerAdaptor::Seek(qlonglong offset) {
    if (!player_.state().discPresent || offset == 0) return;
    player_.seek(offset);
    emit Seeked(player_.state().position);
}

void PlayerAdaptor::SetPosition(const QDBusObjectPath& track, qlonglong position) {
    const PlayerState state = player_.state();
    // Only a position in the track playing now, as the interface asks.
    if (!state.discPresent || track.path() != trackId(state.track)) return;
    if (position < 0 || position > state.length) return;
    player_.seek(position - state.position);
    emit Seeked(player_.state().position);
}

bool startService(MprisPlayer& player) {
    if (service()) return true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    Service s;
    s.player = &player;
    s.object = std::make_unique<QObject>();
    new RootAdaptor(s.object.get(), player);
    s.adaptor = new PlayerAdaptor(s.object.get(), player);
    if (!bus.registerObject(QLatin1String(kObjectPath), s.object.get())) return false;
    // One player per user runs; a second name would only be taken by a player started under
    // another single-instance folder, and MPRIS names such instances by their process.
    s.name = QLatin1String(kServiceName);
    if (!bus.registerService(s.name)) {
        s.name += QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
        if (!bus.registerService(s.name)) {
            bus.unregisterObject(QLatin1String(kObjectPath));
            return false;
        }
    }
    s.announced = player.state();
    service() = std::move(s);
    return true;
}

void stopService() {
    std::optional<Service>& s = service();
    if (!s) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(s->name);
    bus.unregisterObject(QLatin1String(kObjectPath));
    s.reset();
}

void notifyChanged() noexcept {
    std::optional<Service>& s = service();
    if (!s) return;
    PlayerState now;
    try {
        now = s->player->state();
    } catch (...) {
        return;  // the next tick tries again
    }
    const QVariantMap changed = changes(s->announced, now);
    s->announced = now;
    if (changed.isEmpty()) return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(kObjectPath), "org.freedesktop.DBus.Properties", "PropertiesChanged");
    signal << QLatin1String(kPlayerInterface) << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

}  // namespace corvina::mpris
