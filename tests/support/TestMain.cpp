// Test main: a headless application object with the player's own set-up, a private scratch
// folder for configuration, data and cache, no name servers, and errors reported to stderr
// instead of a message box.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "app/Application.h"
#include "tests/support/TestSupport.h"

namespace {
QTemporaryDir* scratch = nullptr;
}

namespace corvina::test {
QString scratchDir() {
    return scratch->path();
}
}  // namespace corvina::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir dir;
    scratch = &dir;
    setenv("XDG_CONFIG_HOME", QDir(dir.path()).filePath("config").toLocal8Bit().constData(), 1);
    setenv("XDG_DATA_HOME", QDir(dir.path()).filePath("data").toLocal8Bit().constData(), 1);
    setenv("XDG_CACHE_HOME", QDir(dir.path()).filePath("cache").toLocal8Bit().constData(), 1);
    setenv("CORVINA_AUDIO", "null", 0);
    // No test asks a real name server: the ones that look discs up name their own fake one.
    for (const char* server :
         {"CORVINA_MUSICBRAINZ_URL", "CORVINA_COVERART_URL", "CORVINA_GNUDB_URL"})
        setenv(server, "", 1);
    // The disc title file too, instead of the one beside the test program.
    setenv("CORVINA_TITLE_FILE",
           QDir(dir.path()).filePath("CorvinaCD.ini").toLocal8Bit().constData(), 1);
    corvina::prepareApplicationEnvironment();
    corvina::TApplication app(argc, argv);
    corvina::setErrorSink([](const QString& message) {
        std::fprintf(stderr, "error report: %s\n", message.toLocal8Bit().constData());
    });
    const int result = RUN_ALL_TESTS();
    scratch = nullptr;
    return result;
}
