#pragma once
// What the benchmarks that build the whole main window share: a headless player application with
// private settings and title files and a sound output that discards (each may be overridden from
// the environment), and the settings a previous run would have left.
#include <functional>

namespace corvina::bench {

// Runs this program's benchmarks inside that application; `beforeRun`, if given, runs once the
// application exists (a warm-up, say). Returns the program's exit status.
int runPlayerBenchmarks(int argc, char** argv, const std::function<void()>& beforeRun = {});

// The nine settings with the splash, the minimised start and window translucency off, and the
// rest on but stay-on-top, which is `alwaysOnTop`.
void seedSettings(bool alwaysOnTop = true);

}  // namespace corvina::bench
