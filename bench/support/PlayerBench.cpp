#include "bench/support/PlayerBench.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "app/Application.h"
#include "platform/ErrorReport.h"
#include "platform/registry/Registry.h"

namespace corvina::bench {

int runPlayerBenchmarks(int argc, char** argv, const std::function<void()>& beforeRun) {
    QTemporaryDir scratch;
    const auto inScratch = [&](const char* name) {
        return QDir(scratch.path()).filePath(QLatin1String(name)).toLocal8Bit();
    };
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("XDG_CONFIG_HOME", inScratch("config").constData(), 1);
    setenv("XDG_DATA_HOME", inScratch("data").constData(), 1);
    setenv("CORVINA_TITLE_FILE", inScratch("CorvinaCD.ini").constData(), 1);
    setenv("XDG_CACHE_HOME", inScratch("cache").constData(), 1);
    setenv("CORVINA_AUDIO", "null", 0);
    // The benchmarks' discs are unnamed: no name server is asked about them.
    for (const char* server :
         {"CORVINA_MUSICBRAINZ_URL", "CORVINA_COVERART_URL", "CORVINA_GNUDB_URL"})
        setenv(server, "", 1);
    prepareApplicationEnvironment();
    TApplication app(argc, argv);
    setErrorSink([](const QString& message) {
        std::fprintf(stderr, "error report: %s\n", message.toLocal8Bit().constData());
    });
    if (beforeRun) beforeRun();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

void seedSettings(bool alwaysOnTop) {
    TRegistry registry(RootKey::CurrentUser);
    registry.openKey(QStringLiteral("Software\\Velmaro\\Corvina\\4.3"), true);
    for (const char* name : {"ShowSplash", "MinimizeAtStartup", "Translucent"})
        registry.writeBool(QLatin1String(name), false);
    for (const char* name :
         {"CloseAtStartup", "CloseOnExit", "EjectOnExit", "StopOnExit", "TranslucentMenu"})
        registry.writeBool(QLatin1String(name), true);
    registry.writeBool(QStringLiteral("AlwaysOnTop"), alwaysOnTop);
}

}  // namespace corvina::bench
