// Start-up to the first window, with the splash off: the main window created (every component,
// the hint balloon included, and the twenty start-up steps on a drive holding a disc) and shown.
// BM_HintBalloonInstall times the part the hint balloon adds to it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdlib>
#include <memory>

#include "app/Application.h"
#include "app/Main.h"
#include "components/TFlatHintUnit.h"
#include "platform/ErrorReport.h"
#include "platform/Fonts.h"
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

void BM_StartupToFirstWindow(benchmark::State& state) {
    std::vector<std::unique_ptr<corvina::cd::Drive>> drives;
    drives.push_back(std::make_unique<corvina::cd::FakeDrive>(std::vector<int>(12, 4 * 60 * 75)));
    corvina::cd::DriveSet::install(std::move(drives));
    seedSettings();
    for (auto _ : state) {
        TFormMain form;
        form.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(form.isVisible());
        state.PauseTiming();
        form.hide();
        state.ResumeTiming();
    }
    corvina::cd::DriveSet::install({});
}
BENCHMARK(BM_StartupToFirstWindow)->Unit(benchmark::kMillisecond);

void BM_HintBalloonInstall(benchmark::State& state) {
    QWidget owner;
    for (auto _ : state) {
        auto* hint = new TFlatHint(&owner);
        hint->setColorBackground(13158655);
        hint->setColorArrowBackground(4079359);
        hint->setFont(corvina::windowsFont(QStringLiteral("宋体"), -12));
        state.PauseTiming();
        delete hint;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HintBalloonInstall)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir scratch;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("XDG_CONFIG_HOME", QDir(scratch.path()).filePath("config").toLocal8Bit().constData(), 1);
    setenv("XDG_DATA_HOME", QDir(scratch.path()).filePath("data").toLocal8Bit().constData(), 1);
    setenv("CORVINA_TITLE_FILE",
           QDir(scratch.path()).filePath("CorvinaCD.ini").toLocal8Bit().constData(), 1);
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
