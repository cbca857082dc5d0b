// The mixer layer: the gain stage, the record rules of the model, the CD line's file (kept,
// shared with another process, damaged, unreadable) and the system mixer's layout.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTest>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/audio/Gain.h"
#include "platform/mixer/CdLine.h"
#include "platform/mixer/FakeMixer.h"
#include "platform/mixer/SystemMixer.h"
#include "tests/support/TestSupport.h"

using namespace corvina;
using namespace corvina::mixer;

namespace {

std::vector<std::int16_t> constant(int frames, std::int16_t value) {
    return std::vector<std::int16_t>(std::size_t(frames) * 2, value);
}

QString freshPath(const char* name) {
    const QString dir = test::scratchDir() + "/mixer-" + name;
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    return dir + "/Mixer.conf";
}

void writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST(Gain, UnityLeavesSoundAloneAndLevelsScaleIt) {
    audio::Gain gain;
    EXPECT_TRUE(gain.isUnity());
    auto s = constant(1000, 20000);
    gain.apply(s.data(), 1000);
    EXPECT_EQ(s.back(), 20000);

    gain.setTarget(audio::Gain::kUnity / 2, 0);
    EXPECT_FALSE(gain.isUnity());
    s = constant(1000, 20000);
    gain.apply(s.data(), 1000);
    EXPECT_EQ(s[2 * 999], 10000);  // left halved
    EXPECT_EQ(s[2 * 999 + 1], 0);  // right silent
    s = constant(10, -32768);
    gain.apply(s.data(), 10);
    EXPECT_EQ(s[0], -16384);
    gain.setTarget(100000, -5);  // out of range: clamped
    EXPECT_EQ(gain.targetLeft(), audio::Gain::kUnity);
    EXPECT_EQ(gain.targetRight(), 0);
}

TEST(Gain, ChangesRampOverAFewMillisecondsWithoutAJump) {
    audio::Gain gain;
    gain.setTarget(0, 0);
    const int frames = 2 * audio::Gain::kRampFrames;
    auto s = constant(frames, 30000);
    // Given in two pieces: the ramp goes on across writes.
    gain.apply(s.data(), 100);
    gain.apply(s.data() + 200, frames - 100);
    int largestStep = 0;
    for (int i = 1; i < frames; ++i)
        largestStep = std::max(largestStep, std::abs(s[2 * i] - s[2 * (i - 1)]));
    EXPECT_GT(s[0], 29000);                                   // starts where the sound was
    EXPECT_EQ(s[2 * audio::Gain::kRampFrames], 0);            // silent after the ramp
    EXPECT_LE(largestStep, 30000 / audio::Gain::kRampFrames + 2);  // no click on the way
    EXPECT_GT(s[2 * (audio::Gain::kRampFrames / 2)], 10000);  // halfway is half
}

TEST(MixerModel, RecordRulesOfTheLayer) {
    FakeMixer fake;
    fake.addDevice(FakeMixer::simpleDevice(6));
    HMIXER h = 0;
    ASSERT_EQ(fake.open(&h, 0, nullptr, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(fake.open(&h, 3, nullptr, 0), MMSYSERR_BADDEVICEID);
    ASSERT_EQ(fake.open(&h, 0, nullptr, 0), MMSYSERR_NOERROR);

    MixerLine line{};
    line.cbStruct = 100;
    EXPECT_EQ(fake.getLineInfo(h, &line, kLineByDestination), MMSYSERR_INVALPARAM);
    line.cbStruct = sizeof(MixerLine);
    line.dwSource = 6;
    EXPECT_EQ(fake.getLineInfo(h, &line, kLineBySource), MIXERR_INVALLINE);
    line.dwSource = 5;
    ASSERT_EQ(fake.getLineInfo(h, &line, kLineBySource), MMSYSERR_NOERROR);
    EXPECT_EQ(line.cControls, 2u);
    EXPECT_TRUE(line.fdwLine & kLineSource);

    MixerControl records[2]{};
    MixerLineControls query{};
    query.cbStruct = sizeof(query);
    query.dwLineID = line.dwLineID;
    query.cControls = 1;  // not the line's count
    query.cbmxctrl = sizeof(MixerControl);
    query.pamxctrl = records;
    EXPECT_EQ(fake.getLineControls(h, &query, kControlsAll), MMSYSERR_INVALPARAM);
    query.cControls = 2;
    ASSERT_EQ(fake.getLineControls(h, &query, kControlsAll), MMSYSERR_NOERROR);
    EXPECT_EQ(records[0].dwControlType, kVolumeControl);
    EXPECT_EQ(records[1].fdwControl & kControlUniform, kControlUniform);

    // One channel written to a two-channel control sets both; a value past its bounds is refused.
    std::uint32_t values[2] = {700, 0};
    MixerControlDetails d{sizeof(MixerControlDetails), records[0].dwControlID, 1, 0, 4, values};
    ASSERT_EQ(fake.setControlDetails(h, &d, kDetailsValue), MMSYSERR_NOERROR);
    d.cChannels = 2;
    ASSERT_EQ(fake.getControlDetails(h, &d, kDetailsValue), MMSYSERR_NOERROR);
    EXPECT_EQ(values[1], 700u);
    values[0] = 70000;
    EXPECT_EQ(fake.setControlDetails(h, &d, kDetailsValue), MIXERR_INVALVALUE);
    d.cChannels = 3;
    EXPECT_EQ(fake.getControlDetails(h, &d, kDetailsValue), MMSYSERR_INVALPARAM);
    EXPECT_EQ(fake.close(h), MMSYSERR_NOERROR);
    EXPECT_EQ(fake.close(h), MMSYSERR_INVALHANDLE);
}

TEST(CdLine, LevelsTakeEffectAndSurviveARestart) {
    const QString path = freshPath("keep");
    CdLevels applied;
    {
        CdLine line(path, [&](const CdLevels& l) { applied = l; });
        EXPECT_EQ(applied, CdLevels{});  // no file: full volume, not muted
        line.setLevels({30000, 20000, true});
        EXPECT_EQ(applied, (CdLevels{30000, 20000, true}));
        EXPECT_FALSE(QFile::exists(path));  // written a moment later...
    }  // ...or when the line goes
    EXPECT_EQ(readFile(path), QByteArray("[CD Audio]\nLeft=30000\nRight=20000\nMute=1\n"));
    CdLine again(path, [&](const CdLevels& l) { applied = l; });
    EXPECT_EQ(again.levels(), (CdLevels{30000, 20000, true}));
    EXPECT_EQ(applied, again.levels());
    again.setLevels({-5, 90000, false});
    EXPECT_EQ(again.levels(), (CdLevels{0, 65535, false}));
}

TEST(CdLine, AnotherProcessesChangeIsTakenOverAndTold) {
    const QString path = freshPath("shared");
    CdLine mine(path, [](const CdLevels&) {});
    CdLevels heard;
    CdLine theirs(path, [&](const CdLevels& l) { heard = l; });
    int told = 0;
    theirs.changed = [&] { ++told; };
    mine.setLevels({12345, 12345, false});
    ASSERT_TRUE(mine.flush());
    QTRY_COMPARE(told, 1);
    EXPECT_EQ(heard.left, 12345);
    // Its own writes are not news to it.
    theirs.setLevels({500, 500, false});
    theirs.flush();
    QTest::qWait(200);
    EXPECT_EQ(told, 1);
}

TEST(CdLine, DamagedFileIsKeptReportedAndWhatCanBeReadIsUsed) {
    const QString path = freshPath("damaged");
    writeFile(path, "[CD Audio]\nLeft=20000\nRight=loud\nMute=0\n");
    test::ErrorCapture errors;
    CdLine line(path, [](const CdLevels&) {});
    EXPECT_EQ(line.levels().left, 20000);
    EXPECT_EQ(line.levels().right, 65535);
    ASSERT_EQ(errors.messages().size(), 1);
    EXPECT_TRUE(errors.messages()[0].contains(QStringLiteral("第 3 行")));
    const QStringList copies =
        QDir(QFileInfo(path).absolutePath()).entryList({"Mixer.conf.corrupt-*"});
    ASSERT_EQ(copies.size(), 1);
    line.setLevels({20000, 20000, false});
    EXPECT_TRUE(line.flush());
}

TEST(CdLine, UnreadableFileIsReportedAndNeverOverwritten) {
    // A folder where the file belongs cannot be read as a file, even by root.
    const QString path = freshPath("unreadable");
    QDir().mkpath(path + "/inside");
    test::ErrorCapture errors;
    CdLevels applied{1, 1, true};
    {
        CdLine line(path, [&](const CdLevels& l) { applied = l; });
        ASSERT_EQ(errors.messages().size(), 1);
        EXPECT_TRUE(errors.messages()[0].contains(QStringLiteral("无法读取")));
        EXPECT_EQ(applied, CdLevels{});  // the sound still plays, at full volume
        line.setLevels({5, 5, false});
        EXPECT_FALSE(line.flush());
        EXPECT_EQ(errors.messages().size(), 1);  // said once
    }
    EXPECT_TRUE(QFileInfo(path + "/inside").isDir());
}

TEST(SystemMixer, CdAudioIsTheSixthSourceAndDrivesTheGain) {
    const QString path = freshPath("system");
    audio::Gain gain;
    SystemMixer mixer(path, gain, "");
    EXPECT_FALSE(mixer.hasMaster());
    ASSERT_EQ(mixer.getNumDevs(), 1u);
    HMIXER h = 0;
    ASSERT_EQ(mixer.open(&h, 0, nullptr, 0), MMSYSERR_NOERROR);
    MixerLine dest{};
    dest.cbStruct = sizeof(MixerLine);
    ASSERT_EQ(mixer.getLineInfo(h, &dest, kLineByDestination), MMSYSERR_NOERROR);
    EXPECT_EQ(dest.dwComponentType, kDstSpeakers);
    EXPECT_EQ(dest.cConnections, 6u);
    EXPECT_EQ(dest.cControls, 0u);  // no card: no master level
    MixerLine cd{};
    cd.cbStruct = sizeof(MixerLine);
    cd.dwSource = 5;
    ASSERT_EQ(mixer.getLineInfo(h, &cd, kLineBySource), MMSYSERR_NOERROR);
    EXPECT_EQ(cd.dwComponentType, kSrcCompactDisc);
    EXPECT_EQ(cd.cChannels, 2u);
    EXPECT_EQ(cd.cControls, 2u);

    std::uint32_t values[2] = {32768, 65535};
    MixerControlDetails d{sizeof(MixerControlDetails), mixer.controlId(0, 0, 5, 0), 2, 0, 4,
                          values};
    ASSERT_EQ(mixer.setControlDetails(h, &d, kDetailsValue), MMSYSERR_NOERROR);
    EXPECT_EQ(gain.targetLeft(), 32769);  // 0 .. 65535 spread over 0 .. 65536
    EXPECT_EQ(gain.targetRight(), audio::Gain::kUnity);
    values[0] = 1;
    MixerControlDetails m{sizeof(MixerControlDetails), mixer.controlId(0, 0, 5, 1), 1, 0, 4,
                          values};
    ASSERT_EQ(mixer.setControlDetails(h, &m, kDetailsValue), MMSYSERR_NOERROR);
    EXPECT_EQ(gain.targetRight(), 0);
    ASSERT_EQ(mixer.close(h), MMSYSERR_NOERROR);  // the last handle: the levels are written
    EXPECT_EQ(readFile(path), QByteArray("[CD Audio]\nLeft=32768\nRight=65535\nMute=1\n"));

    EXPECT_EQ(SystemMixer::cardFor(""), "default");
    EXPECT_EQ(SystemMixer::cardFor("alsa:hw:1"), "hw:1");
    EXPECT_EQ(SystemMixer::cardFor("wav:/tmp/x.wav"), "");
    EXPECT_EQ(SystemMixer::cardFor("null"), "");
}

TEST(SystemMixer, WithoutASoundCardTheCdLineStillWorks) {
    audio::Gain gain;
    SystemMixer mixer(freshPath("nocard"), gain, "hw:99");
    EXPECT_FALSE(mixer.hasMaster());
    EXPECT_EQ(mixer.getNumDevs(), 1u);
}
