// The settings store: a read checks the file on disk each time, a write replaces it durably.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "platform/registry/Registry.h"

namespace {

// A store folder of its own, with the nine settings and a drive branch in it.
struct Scratch {
    Scratch() {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
        corvina::TRegistry reg;
        reg.openKey(QStringLiteral("Software\\Velmaro\\Corvina\\4.3"), true);
        for (const char* name :
             {"ShowSplash", "MinimizeAtStartup", "CloseAtStartup", "CloseOnExit", "EjectOnExit",
              "StopOnExit", "AlwaysOnTop", "Translucent", "TranslucentMenu"})
            reg.writeBool(QString::fromLatin1(name), true);
    }
    QTemporaryDir dir;
};

void BM_OpenAndReadOneSetting(benchmark::State& state) {
    Scratch scratch;
    for (auto _ : state) {
        corvina::TRegistry reg;
        reg.openKey(QStringLiteral("Software\\Velmaro\\Corvina\\4.3"), false);
        benchmark::DoNotOptimize(reg.readBool(QStringLiteral("StopOnExit")));
    }
}
BENCHMARK(BM_OpenAndReadOneSetting);

void BM_WriteOneSetting(benchmark::State& state) {
    Scratch scratch;
    corvina::TRegistry reg;
    reg.openKey(QStringLiteral("Software\\Velmaro\\Corvina\\4.3"), false);
    bool on = false;
    for (auto _ : state) reg.writeBool(QStringLiteral("Translucent"), on = !on);
}
BENCHMARK(BM_WriteOneSetting)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
