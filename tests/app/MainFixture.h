#pragma once
// A main window on a scripted drive, with a private settings store and the device commands it
// sends recorded in order.
#include <gtest/gtest.h>

#include <QStringList>
#include <map>
#include <memory>

#include "app/Main.h"
#include "app/Picture.h"
#include "platform/cd/FakeDrive.h"
#include "platform/tray/FakeTrayShell.h"
#include "tests/support/TestSupport.h"

namespace corvina::test {

inline constexpr int kSecond = 75;  // frames
inline constexpr int kMinute = 60 * kSecond;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Puts a drive with this disc in (empty: no disc) before the window starts.
    cd::FakeDrive& insertDrive(const std::vector<int>& trackFrames);
    // Writes the settings key with these values (the rest: splash off, everything else as on a
    // first start) so that start-up finds an existing key.
    void writeSettings(const std::map<QString, bool>& overrides = {});
    // Creates the main window (start-up runs) and forgets the commands sent so far unless asked.
    TFormMain& start(bool keepStartupCommands = false);
    void tick() { form_->TimerCDTimer(form_->TimerCD); }

    // Commands sent since the last call.
    QStringList takeCommands();

    cd::FakeDrive* drive_ = nullptr;
    // The main window's notification area (set when the window is created).
    FakeTrayShell* trayShell_ = nullptr;
    std::unique_ptr<TFormMain> form_;
    std::unique_ptr<ErrorCapture> errors_;
    QStringList commands_;
};

}  // namespace corvina::test
