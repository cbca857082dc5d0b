// Start-up to the first window, with the splash off: the main window created (every component,
// the hint balloon included, and the twenty start-up steps on a drive holding a disc) and shown.
// BM_HintBalloonInstall times the part the hint balloon adds to it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>
#include <memory>

#include "app/Main.h"
#include "bench/support/PlayerBench.h"
#include "components/TFlatHintUnit.h"
#include "platform/Fonts.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/FakeDrive.h"

namespace {

void BM_StartupToFirstWindow(benchmark::State& state) {
    std::vector<std::unique_ptr<corvina::cd::Drive>> drives;
    drives.push_back(std::make_unique<corvina::cd::FakeDrive>(std::vector<int>(12, 4 * 60 * 75)));
    corvina::cd::DriveSet::install(std::move(drives));
    corvina::bench::seedSettings();
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
    return corvina::bench::runPlayerBenchmarks(argc, argv);
}
