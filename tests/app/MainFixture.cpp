#include "tests/app/MainFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <QStandardPaths>

#include "components/TrayIcon.h"
#include "platform/cd/DriveSet.h"
#include "platform/mci/Mci.h"
#include "platform/registry/Registry.h"
#include "platform/tray/FakeTrayShell.h"

namespace corvina::test {
namespace {
const QString kSettingsKey = QStringLiteral("Software\\Velmaro\\Corvina\\4.3");
}

void MainWindowTest::SetUp() {
    QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Corvina")
        .removeRecursively();
    mci::resetForTesting();
    cd::DriveSet::install({});
    mci::setCommandObserver([this](std::string_view command, unsigned, std::string_view) {
        commands_.append(QString::fromLatin1(command.data(), qsizetype(command.size())));
    });
    errors_ = std::make_unique<ErrorCapture>();
    // A desktop with a notification area, unless a test takes it away.
    TTrayIcon::setShellFactory([this] {
        auto shell = std::make_unique<FakeTrayShell>();
        trayShell_ = shell.get();
        return shell;
    });
}

void MainWindowTest::TearDown() {
    form_.reset();
    // The exit sequence quits the application, which makes every later event loop return at
    // once; one round of the main loop clears that for the tests that follow.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    TTrayIcon::setShellFactory({});
    trayShell_ = nullptr;
    mci::setCommandObserver({});
    mci::setReplyFilter({});
    mci::resetForTesting();
    cd::DriveSet::install({});
    errors_.reset();
}

cd::FakeDrive& MainWindowTest::insertDrive(const std::vector<int>& trackFrames) {
    auto drive = std::make_unique<cd::FakeDrive>(trackFrames);
    if (trackFrames.empty()) drive->setDisc(std::nullopt);
    drive_ = drive.get();
    std::vector<std::unique_ptr<cd::Drive>> drives;
    drives.push_back(std::move(drive));
    cd::DriveSet::install(std::move(drives));
    return *drive_;
}

void MainWindowTest::writeSettings(const std::map<QString, bool>& overrides) {
    std::map<QString, bool> values = {
        {"ShowSplash", false}, {"MinimizeAtStartup", false}, {"CloseAtStartup", true},
        {"CloseOnExit", true}, {"EjectOnExit", true},        {"StopOnExit", true},
        {"AlwaysOnTop", true}, {"Translucent", false},       {"TranslucentMenu", true}};
    for (const auto& [name, value] : overrides) values[name] = value;
    TRegistry registry(RootKey::CurrentUser);
    ASSERT_TRUE(registry.openKey(kSettingsKey, true));
    for (const auto& [name, value] : values) registry.writeBool(name, value);
}

TFormMain& MainWindowTest::start(bool keepStartupCommands) {
    form_ = std::make_unique<TFormMain>();
    if (!keepStartupCommands) commands_.clear();
    return *form_;
}

QStringList MainWindowTest::takeCommands() {
    QStringList taken;
    taken.swap(commands_);
    return taken;
}

}  // namespace corvina::test
