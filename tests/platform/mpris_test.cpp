// The media controls' adaptor over a scripted player: which player call each bus call makes, and
// the metadata a client sees.
#include <gtest/gtest.h>

#include <QDBusObjectPath>
#include <QObject>

#include "platform/mpris/MprisAdaptors.h"

using namespace corvina::mpris;

namespace {

class ScriptedPlayer : public MprisPlayer {
public:
    PlayerState state() const override { return s; }
    void raise() override { calls << "raise"; }
    void quit() override { calls << "quit"; }
    void play() override { calls << "play"; }
    void pause() override { calls << "pause"; }
    void stop() override { calls << "stop"; }
    void next() override { calls << "next"; }
    void previous() override { calls << "previous"; }
    void seek(qint64 offset) override { calls << QStringLiteral("seek %1").arg(offset); }
    void setVolume(double v) override { calls << QStringLiteral("volume %1").arg(v); }

    PlayerState s;
    QStringList calls;
};

PlayerState playingTrackTwo() {
    PlayerState s;
    s.status = QStringLiteral("Playing");
    s.discPresent = true;
    s.track = 2;
    s.title = QStringLiteral("第二首");
    s.artist = QStringLiteral("鸦林小乐队");
    s.album = QStringLiteral("晨昏小品");
    s.length = 180'000'000;
    s.position = 25'000'000;
    return s;
}

TEST(Mpris, MetadataOfTheTrackPlayingAndNoneWithoutADisc) {
    const QVariantMap m = metadata(playingTrackTwo());
    EXPECT_EQ(m.value("xesam:title").toString(), QStringLiteral("第二首"));
    EXPECT_EQ(m.value("xesam:artist").toStringList(), QStringList{QStringLiteral("鸦林小乐队")});
    EXPECT_EQ(m.value("xesam:album").toString(), QStringLiteral("晨昏小品"));
    EXPECT_EQ(m.value("xesam:trackNumber").toInt(), 2);
    EXPECT_EQ(m.value("mpris:length").toLongLong(), 180'000'000);
    EXPECT_EQ(m.value("mpris:trackid").value<QDBusObjectPath>().path(), trackId(2));
    EXPECT_FALSE(m.contains("mpris:artUrl"));  // no picture, no URL
    PlayerState withCover = playingTrackTwo();
    withCover.artUrl = QStringLiteral("file:///home/u/.cache/Corvina/lookup/x.jpg");
    EXPECT_EQ(metadata(withCover).value("mpris:artUrl").toString(), withCover.artUrl);
    EXPECT_TRUE(metadata(PlayerState()).isEmpty());
    EXPECT_EQ(trackId(0), QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
}

TEST(Mpris, CallsGoToThePlayersHandlers) {
    ScriptedPlayer player;
    player.s = playingTrackTwo();
    QObject object;
    RootAdaptor root(&object, player);
    PlayerAdaptor adaptor(&object, player);
    EXPECT_EQ(root.identity(), QStringLiteral("Corvina CD 播放器"));
    root.Raise();
    adaptor.Next();
    adaptor.Previous();
    adaptor.PlayPause();  // playing: pauses
    adaptor.Pause();
    player.s.status = QStringLiteral("Paused");
    adaptor.Pause();      // already paused: nothing
    adaptor.PlayPause();  // paused: plays
    adaptor.Stop();
    adaptor.Seek(-10'000'000);
    adaptor.Seek(0);
    // SetPosition only within the track now playing, and within its length.
    adaptor.SetPosition(QDBusObjectPath(trackId(2)), 60'000'000);
    adaptor.SetPosition(QDBusObjectPath(trackId(1)), 60'000'000);
    adaptor.SetPosition(QDBusObjectPath(trackId(2)), 200'000'000);
    adaptor.setVolume(0.5);  // the volume is not settable yet
    root.Quit();
    EXPECT_EQ(player.calls, QStringList({"raise", "next", "previous", "pause", "pause", "play",
                                         "stop", "seek -10000000", "seek 35000000", "quit"}));
    EXPECT_EQ(adaptor.volume(), 1.0);

    // Without a disc the transport is announced as unusable and a seek does nothing.
    player.s = PlayerState();
    player.calls.clear();
    EXPECT_FALSE(adaptor.canControlDisc());
    EXPECT_EQ(adaptor.playbackStatus(), QStringLiteral("Stopped"));
    adaptor.Seek(1'000'000);
    EXPECT_TRUE(player.calls.isEmpty());
}

}  // namespace
