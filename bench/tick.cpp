// One CD timer tick of the main window with a disc playing: five status queries to the command
// layer, the disc serial, three reads of the title database and the display updates.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "app/Application.h"
#include "app/Main.h"
#include "platform/ErrorReport.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/FakeDrive.h"
#include "platform/registry/Registry.h"

namespace {

void seedSettings() {
    corvina::TRegistry registry(corvina::RootKey::CurrentUser);
    registry.openKey(QStringLiteral("Software\\Velmaro\\Corvina\\4.3"), true);
    for (const char* name : {"ShowSplash", "MinimizeAtStartup", "Translucent"})
        registry.writeBool(QLatin1String(name), false);
    for (const char* name : {"CloseAtStartup", "CloseOnExit", "EjectOnExit", "StopOnExit",
                             "AlwaysOnTop", "TranslucentMenu"})
        registry.writeBool(QLatin1String(name), true);
}

void BM_TickWhilePlaying(benchmark::State& state) {
    auto drive = std::make_unique<corvina::cd::FakeDrive>(std::vector<int>(12, 4 * 60 * 75));
    corvina::cd::FakeDrive* fake = drive.get();
    std::vector<std::unique_ptr<corvina::cd::Drive>> drives;
    drives.push_back(std::move(drive));
    corvina::cd::DriveSet::install(std::move(drives));
    seedSettings();

    TFormMain form;
    if (!form.Playing) state.SkipWithError("the disc is not playing");
    for (auto _ : state) {
        fake->advance(75);
        form.TimerCDTimer(form.TimerCD);
    }
}
BENCHMARK(BM_TickWhilePlaying)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir scratch;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("XDG_CONFIG_HOME", QDir(scratch.path()).filePath("config").toLocal8Bit().constData(), 1);
    setenv("XDG_DATA_HOME", QDir(scratch.path()).filePath("data").toLocal8Bit().constData(), 1);
    setenv("CORVINA_AUDIO", "null", 0);
    corvina::prepareApplicationEnvironment();
    corvina::TApplication app(argc, argv);
    corvina::setErrorSink([](const QString& message) {
        std::fprintf(stderr, "error report: %s\n", message.toLocal8Bit().constData());
    });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
