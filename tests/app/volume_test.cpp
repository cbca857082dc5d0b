// The volume bar of the main window: start-up reads the CD line into it, moving it sets the line
// (both channels, not muted) and with it the gain of what the drive plays.
#include <QTest>

#include "components/AudioMixer.h"
#include "components/RXSlider.h"
#include "platform/audio/AudioOutput.h"
#include "platform/mixer/SystemMixer.h"
#include "tests/app/MainFixture.h"

namespace corvina::test {
namespace {

mixer::CdLine& cdLine() {
    return dynamic_cast<mixer::SystemMixer&>(mixer::systemMixer()).cdLine();
}

class VolumeTest : public MainWindowTest {
protected:
    void TearDown() override {
        MainWindowTest::TearDown();
        cdLine().setLevels({});
        cdLine().flush();
    }
};

TEST_F(VolumeTest, StartupReadsTheLeftVolumeAndWritesItBackToBothChannels) {
    cdLine().setLevels({20000, 30000, true});
    insertDrive({});
    writeSettings();
    TFormMain& form = start();
    EXPECT_EQ(form.VolumeBar->Value(), 20000);
    EXPECT_EQ(form.VolumeBar->geometry(), QRect(321, 6, 62, 12));
    EXPECT_EQ(form.AudioMixer->MixerID(), 0);
    EXPECT_EQ(cdLine().levels(), (mixer::CdLevels{20000, 20000, false}));
    EXPECT_EQ(audio::AudioOutput::shared().gain().targetLeft(), 20000);
    EXPECT_TRUE(errors_->messages().isEmpty());
}

TEST_F(VolumeTest, AMutedLineAtZeroStaysAsItWas) {
    cdLine().setLevels({0, 40000, true});
    insertDrive({});
    writeSettings();
    TFormMain& form = start();
    EXPECT_EQ(form.VolumeBar->Value(), 0);  // equal to the bar's start: nothing written
    EXPECT_EQ(cdLine().levels(), (mixer::CdLevels{0, 40000, true}));
}

TEST_F(VolumeTest, MovingTheBarSetsTheLineAndTheGain) {
    insertDrive({});
    writeSettings();
    TFormMain& form = start();
    EXPECT_EQ(form.VolumeBar->Value(), 65535);
    QTest::keyClick(form.VolumeBar, Qt::Key_Home);
    EXPECT_EQ(cdLine().levels(), (mixer::CdLevels{0, 0, false}));
    EXPECT_EQ(audio::AudioOutput::shared().gain().targetLeft(), 0);
    form.VolumeBar->setValue(32768);
    EXPECT_EQ(cdLine().levels().right, 32768);
}

}  // namespace
}  // namespace corvina::test
