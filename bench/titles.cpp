// One tick's reads of the disc title file (artist, album, current track name) against title
// files of 10 to 100,000 discs: the steady state, where the file is unchanged between ticks,
// and the first tick after the file changed on disk.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/profile/IniFile.h"

namespace {

constexpr int kTracks = 12;

// A title file of `discs` discs, every one named in full, the disc looked up in the middle.
struct TitleFile {
    QTemporaryDir dir;
    QString path;
    QString serial;

    explicit TitleFile(int discs) {
        path = corvina::discTitleFilePath(dir.path(), dir.path());
        QByteArray bytes;
        for (int d = 0; d < discs; ++d) {
            bytes += "[" + QByteArray::number(0x10000000u + d * 7919u, 16).toUpper() + "]\r\n";
            bytes += "Artist=\xd6\xdc\xbd\xdc\xc2\xd7 " + QByteArray::number(d) + "\r\n";
            bytes += "Title=Album " + QByteArray::number(d) + "\r\n";
            for (int t = 0; t < kTracks; ++t)
                bytes += QByteArray::number(t) + "=Track " + QByteArray::number(t + 1) + "\r\n";
            bytes += "\r\n";
        }
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) std::abort();
        serial = QString::number(0x10000000u + (discs / 2) * 7919u, 16).toUpper();
    }

    void tick(benchmark::State& state) const {
        corvina::TIniFile ini(corvina::discTitleFilePath(dir.path(), dir.path()));
        benchmark::DoNotOptimize(ini.readString(serial, QStringLiteral("Artist"), "Artist"));
        benchmark::DoNotOptimize(ini.readString(serial, QStringLiteral("Title"), "Album"));
        benchmark::DoNotOptimize(ini.readString(serial, QStringLiteral("4"), "Track 05"));
        (void)state;
    }
};

void BM_TickReads(benchmark::State& state) {
    const TitleFile file(static_cast<int>(state.range(0)));
    file.tick(state);
    for (auto _ : state) file.tick(state);
}
BENCHMARK(BM_TickReads)->Arg(10)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The file changed since the last tick (the track list just saved): the tick parses it again.
void BM_TickReadsAfterChange(benchmark::State& state) {
    const TitleFile file(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        QFile f(file.path);
        if (!f.open(QIODevice::Append)) std::abort();
        f.write(";\r\n");  // a different size: the parsed copy is dropped
        f.close();
        state.ResumeTiming();
        file.tick(state);
    }
}
BENCHMARK(BM_TickReadsAfterChange)
    ->Arg(10)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

// Closing the track list after naming a new disc of 12 tracks: artist, album and every track,
// written in one update of the file.
void BM_SaveNewDisc(benchmark::State& state) {
    const TitleFile file(static_cast<int>(state.range(0)));
    quint32 serial = 0xA0000000u;
    for (auto _ : state) {
        corvina::TIniFile ini(file.path);
        const QString section = QString::number(++serial, 16).toUpper();
        ini.beginUpdate();
        for (int t = 0; t < kTracks; ++t) {
            ini.writeString(section, QStringLiteral("Artist"), QStringLiteral("周杰伦"));
            ini.writeString(section, QStringLiteral("Title"), QStringLiteral("叶惠美"));
            ini.writeString(section, QString::number(t), QStringLiteral("Track %1").arg(t + 1));
        }
        ini.endUpdate();
    }
}
BENCHMARK(BM_SaveNewDisc)
    ->Arg(10)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
