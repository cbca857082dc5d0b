// TAudioMixer over the fake mixer layer: the tree it builds, reading and writing a line's volume
// and mute (with the list fallback), positions that do not exist, devices that fail or vanish,
// and the change messages.
#include <gtest/gtest.h>

#include <QDir>
#include <QTest>

#include "components/AudioMixer.h"
#include "platform/audio/Gain.h"
#include "platform/mixer/FakeMixer.h"
#include "platform/mixer/SystemMixer.h"
#include "tests/support/TestSupport.h"

using namespace corvina::mixer;

namespace {

struct Reading {
    bool ok = false;
    int left = 0, right = 0, mute = 0;
    bool volumeDisabled = false, muteDisabled = false;
};

Reading read(TAudioMixer& mixer, int destination, int connection) {
    Reading r;
    r.ok = mixer.GetLineVolume(destination, connection, r.left, r.right, r.mute,
                               r.volumeDisabled, r.muteDisabled);
    return r;
}

// The values a control of the fake holds now.
std::vector<std::uint32_t> valuesOf(FakeMixer& fake, unsigned destination, int source,
                                    unsigned index) {
    DestinationModel& dest = fake.device(0).destinations.at(destination);
    LineModel& line = source < 0 ? dest.line : dest.sources.at(std::size_t(source));
    std::vector<std::uint32_t> values;
    line.controls.at(index).read(values);
    return values;
}

}  // namespace

TEST(AudioMixer, BuildsTheTreeAndLeavesOutLinesThatFail) {
    FakeMixer fake;
    fake.addDevice(FakeMixer::simpleDevice(7));
    fake.failingLines = {{0, 2}};
    TAudioMixer mixer(nullptr, &fake);
    EXPECT_EQ(mixer.MixerID(), 0);
    ASSERT_EQ(mixer.Destinations()->Count(), 1);
    TMixerDestination* dest = (*mixer.Destinations())[0];
    EXPECT_EQ(dest->Controls().Count(), 2);
    ASSERT_EQ(dest->Connections().Count(), 6);  // source 2 left out, the later ones move up
    EXPECT_EQ(dest->Connections()[2]->Data().dwSource, 3u);
    EXPECT_EQ(dest->Connections()[5]->Data().dwSource, 6u);

    // Position 5 is now the seventh source line.
    mixer.SetLineVolume(0, 5, 1000, -1, 1);
    EXPECT_EQ(valuesOf(fake, 0, 6, 0), (std::vector<std::uint32_t>{1000, 1000}));
    EXPECT_EQ(valuesOf(fake, 0, 6, 1), (std::vector<std::uint32_t>{1}));
}

TEST(AudioMixer, TwoChannelLineReadsBothAndTheBarWritesLeftToBoth) {
    FakeMixer fake;
    DeviceModel device = FakeMixer::simpleDevice(6);
    // Controls of other kinds, and a volume with several items, come first and are passed by.
    auto& controls = device.destinations[0].sources[5].controls;
    controls.insert(controls.begin(), storedControl(0x50030002, 0, 2, 0, "Bass", 7));
    controls.insert(controls.begin(),
                    storedControl(kVolumeControl, kControlMultiple, 2, 3, "Odd", 9));
    fake.addDevice(std::move(device));
    TAudioMixer mixer(nullptr, &fake);
    ASSERT_TRUE(mixer.SetLineVolume(0, 5, 40000, 20000, 1));
    Reading r = read(mixer, 0, 5);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.left, 40000);
    EXPECT_EQ(r.right, 20000);
    EXPECT_EQ(r.mute, 1);
    EXPECT_FALSE(r.volumeDisabled);

    mixer.SetLineVolume(0, 5, r.left, -1, 0);  // what the volume bar sends
    r = read(mixer, 0, 5);
    EXPECT_EQ(r.right, 40000);
    EXPECT_EQ(r.mute, 0);

    // -1 leaves a part alone; the destination itself is connection -1.
    mixer.SetLineVolume(0, 5, -1, -1, 1);
    EXPECT_EQ(read(mixer, 0, 5).left, 40000);
    mixer.SetLineVolume(0, -1, 123, 456, -1);
    r = read(mixer, 0, -1);
    EXPECT_EQ(r.left, 123);
    EXPECT_EQ(r.right, 456);
}

TEST(AudioMixer, DisabledVolumeControlIsNotRead) {
    FakeMixer fake;
    DeviceModel device = FakeMixer::simpleDevice(6);
    LineModel& cd = device.destinations[0].sources[5];
    cd.controls[0].record.fdwControl |= kControlDisabled;
    cd.controls[0].write({30000, 30000});
    fake.addDevice(std::move(device));
    TAudioMixer mixer(nullptr, &fake);
    const Reading r = read(mixer, 0, 5);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.left, -1);
    EXPECT_EQ(r.right, -1);
    EXPECT_TRUE(r.volumeDisabled);
    EXPECT_EQ(r.mute, 0);
    EXPECT_FALSE(r.muteDisabled);
}

TEST(AudioMixer, WithoutAMuteSwitchTheDestinationsListStandsForIt) {
    for (const std::uint32_t listType : {kMixerControl, kMuxControl}) {
        FakeMixer fake;
        DeviceModel device = FakeMixer::simpleDevice(6);
        for (LineModel& source : device.destinations[0].sources) source.controls.pop_back();
        device.destinations[0].line.controls.push_back(
            storedControl(listType, kControlUniform | kControlMultiple, 2, 6, "Select"));
        device.destinations[0].line.controls.back().write({1, 1, 0, 0, 0, 0});
        fake.addDevice(std::move(device));
        TAudioMixer mixer(nullptr, &fake);

        Reading r = read(mixer, 0, 1);
        EXPECT_EQ(r.mute, 1) << std::hex << listType;
        EXPECT_FALSE(r.muteDisabled);
        EXPECT_EQ(read(mixer, 0, 5).mute, 0);

        mixer.SetLineVolume(0, 5, -1, -1, 1);
        const auto list = valuesOf(fake, 0, -1, 2);
        if (listType == kMuxControl)  // a single choice: selecting one clears the others
            EXPECT_EQ(list, (std::vector<std::uint32_t>{0, 0, 0, 0, 0, 1}));
        else
            EXPECT_EQ(list, (std::vector<std::uint32_t>{1, 1, 0, 0, 0, 1}));
        EXPECT_EQ(read(mixer, 0, 5).mute, 1);

        // A list that cannot be read is not written back from guesses.
        fake.failReads = true;
        const int writes = fake.writes;
        mixer.SetLineVolume(0, 5, -1, -1, 0);
        EXPECT_EQ(fake.writes, writes);
        r = read(mixer, 0, 5);
        EXPECT_EQ(r.mute, -1);
        EXPECT_TRUE(r.muteDisabled);
        EXPECT_TRUE(r.volumeDisabled);
    }
}

TEST(AudioMixer, AListShorterThanTheSourcesNamesNoItemPastItsEnd) {
    FakeMixer fake;
    DeviceModel device = FakeMixer::simpleDevice(8);
    for (LineModel& source : device.destinations[0].sources) source.controls.pop_back();
    device.destinations[0].line.controls.push_back(
        storedControl(kMuxControl, kControlUniform | kControlMultiple, 2, 6, "Select", 1));
    fake.addDevice(std::move(device));
    TAudioMixer mixer(nullptr, &fake);
    const Reading r = read(mixer, 0, 7);
    EXPECT_EQ(r.mute, -1);
    EXPECT_TRUE(r.muteDisabled);
    const int writes = fake.writes;
    mixer.SetLineVolume(0, 7, -1, -1, 1);
    EXPECT_EQ(fake.writes, writes);
}

TEST(AudioMixer, PositionsThatDoNotExistChangeNothing) {
    FakeMixer fake;
    fake.addDevice(FakeMixer::simpleDevice(4));
    TAudioMixer mixer(nullptr, &fake);
    Reading r;
    r.volumeDisabled = r.muteDisabled = true;
    r.ok = mixer.GetLineVolume(0, 5, r.left, r.right, r.mute, r.volumeDisabled, r.muteDisabled);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.left, -1);
    EXPECT_EQ(r.right, -1);
    EXPECT_EQ(r.mute, -1);
    EXPECT_TRUE(r.volumeDisabled);  // left as they were
    EXPECT_FALSE(mixer.SetLineVolume(0, 5, 100, -1, 0));
    EXPECT_FALSE(mixer.SetLineVolume(1, -1, 100, -1, 0));
    EXPECT_EQ(fake.writes, 0);
}

TEST(AudioMixer, MixerIdIsLoweredToTheLastDeviceAndMinusOneCloses) {
    FakeMixer fake;
    fake.addDevice(FakeMixer::simpleDevice(6));
    fake.addDevice(FakeMixer::simpleDevice(2));
    TAudioMixer mixer(nullptr, &fake);
    EXPECT_EQ(mixer.MixerCount(), 2);
    mixer.setMixerID(5);
    EXPECT_EQ(mixer.MixerID(), 1);
    EXPECT_EQ(mixer.Destinations()->Count(), 1);
    EXPECT_EQ((*mixer.Destinations())[0]->Connections().Count(), 2);
    EXPECT_EQ(fake.openHandles(0), 0);
    mixer.setMixerID(-1);
    EXPECT_EQ(mixer.MixerID(), -1);
    EXPECT_EQ(mixer.Destinations(), nullptr);
    EXPECT_EQ(fake.openHandles(1), 0);
    EXPECT_FALSE(read(mixer, 0, -1).ok);
}

TEST(AudioMixer, NoDeviceOrAFailedOpenLeavesItClosed) {
    FakeMixer none;
    TAudioMixer empty(nullptr, &none);
    EXPECT_EQ(empty.MixerID(), -1);
    EXPECT_EQ(none.opens, 0);
    EXPECT_FALSE(empty.SetLineVolume(0, 5, 1, -1, 0));

    FakeMixer refusing;
    refusing.addDevice(FakeMixer::simpleDevice(6));
    refusing.openResult = MMSYSERR_NODRIVER;
    TAudioMixer closed(nullptr, &refusing);
    EXPECT_EQ(closed.MixerID(), -1);
    EXPECT_FALSE(read(closed, 0, 5).ok);
}

TEST(AudioMixer, ChangesArriveAsEventsAndAVanishedDeviceFailsQuietly) {
    FakeMixer fake;
    fake.addDevice(FakeMixer::simpleDevice(6));
    TAudioMixer mixer(nullptr, &fake);
    TAudioMixer other(nullptr, &fake);
    std::vector<std::pair<int, int>> controls, lines;
    mixer.OnControlChange = [&](QObject*, int h, int id) { controls.push_back({h, id}); };
    mixer.OnLineChange = [&](QObject*, int h, int id) { lines.push_back({h, id}); };

    other.SetLineVolume(0, 5, 5000, -1, -1);  // a change made through another handle
    QCoreApplication::processEvents();
    ASSERT_EQ(controls.size(), 1u);
    EXPECT_EQ(controls[0].first, int(mixer.MixerHandle()));
    EXPECT_EQ(controls[0].second, int(fake.controlId(0, 0, 5, 0)));
    other.SetLineVolume(0, 5, 5000, -1, -1);  // the same value again: no change
    QCoreApplication::processEvents();
    EXPECT_EQ(controls.size(), 1u);

    fake.vanish(0);
    QCoreApplication::processEvents();
    ASSERT_EQ(lines.size(), 1u);
    const Reading r = read(mixer, 0, 5);
    EXPECT_TRUE(r.ok);  // the line is still in the tree, but nothing can be read
    EXPECT_EQ(r.left, -1);
    mixer.SetLineVolume(0, 5, 100, -1, 0);
    mixer.setMixerID(0);  // reopening a vanished device fails: closed
    EXPECT_EQ(mixer.MixerID(), -1);
}

TEST(AudioMixer, AChangeByAnotherProcessArrivesAsAControlChange) {
    // Two system mixers on one settings file stand for two processes.
    const QString dir = corvina::test::scratchDir() + "/two-processes";
    QDir(dir).removeRecursively();
    corvina::audio::Gain ours, theirs;
    SystemMixer here(dir + "/Mixer.conf", ours, "");
    SystemMixer there(dir + "/Mixer.conf", theirs, "");
    TAudioMixer mixer(nullptr, &here);
    TAudioMixer other(nullptr, &there);
    std::vector<int> ids;
    mixer.OnControlChange = [&](QObject*, int, int id) { ids.push_back(id); };

    other.SetLineVolume(0, SystemMixer::kCdSource, 10000, -1, 0);
    there.cdLine().flush();
    QTRY_VERIFY(!ids.empty());
    EXPECT_EQ(ids[0], int(here.controlId(0, 0, SystemMixer::kCdSource, 0)));
    int left = 0, right = 0, mute = 0;
    bool volumeDisabled = false, muteDisabled = false;
    mixer.GetLineVolume(0, 5, left, right, mute, volumeDisabled, muteDisabled);
    EXPECT_EQ(left, 10000);
    EXPECT_EQ(ours.targetLeft(), 10000);  // and the sound here follows
}
