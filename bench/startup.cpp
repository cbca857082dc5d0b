// Start-up and response: the time from nothing to the main window's first paint with each kind of
// disc in the drive (the demo disc, a 74-minute FLAC folder, a 12-track cue sheet, a 99-track
// folder, a real drive that takes 3 s to answer, and the demo disc with a title file of 100,000
// discs), and the time from a play or a seek to the first sample handed to the sound device.
//
// The rips are made once in $TMPDIR/corvina-bench-rips (the FLAC folder takes a while) and kept.
#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "app/Main.h"
#include "bench/support/PlayerBench.h"
#include "platform/cd/DemoDisc.h"
#include "platform/cd/DiscImage.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/FakeDrive.h"
#include "platform/cd/Probe.h"
#include "platform/cd/RememberedDisc.h"
#include "platform/cd/VirtualDrive.h"
#include "platform/mci/Mci.h"

namespace {

using Clock = std::chrono::steady_clock;
using corvina::cd::Drive;

QString ripsFolder() {
    return QDir::temp().filePath(QStringLiteral("corvina-bench-rips"));
}

// A file of `seconds` of a quiet chord, FLAC or 16-bit WAV.
bool writeAudio(const QString& path, int seconds, bool flac) {
    if (QFile::exists(path)) return true;
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = flac ? SF_FORMAT_FLAC | SF_FORMAT_PCM_16 : SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    const QString part = path + QStringLiteral(".part");
    SNDFILE* file = sf_open(QFile::encodeName(part).constData(), SFM_WRITE, &info);
    if (!file) return false;
    std::vector<short> second(2 * 44100);
    for (std::size_t i = 0; i < 44100; ++i) {
        const double t = double(i) / 44100;
        second[2 * i] = second[2 * i + 1] =
            short(3000 * (std::sin(2 * M_PI * 220 * t) + std::sin(2 * M_PI * 330 * t)));
    }
    for (int s = 0; s < seconds; ++s) sf_writef_short(file, second.data(), 44100);
    sf_close(file);
    return QFile::rename(part, path);
}

// The folder or cue sheet of each kind of rip, made on first use.
QString rip(const std::string& kind) {
    const QDir base(ripsFolder());
    QDir().mkpath(base.filePath(QString::fromStdString(kind)));
    const QDir dir(base.filePath(QString::fromStdString(kind)));
    if (kind == "flac74") {
        for (int t = 1; t <= 10; ++t)
            writeAudio(dir.filePath(QStringLiteral("%1.flac").arg(t, 2, 10, QLatin1Char('0'))), 444,
                       true);
        return dir.path();
    }
    if (kind == "cue12") {
        writeAudio(dir.filePath("album.flac"), 12 * 200, true);
        QFile cue(dir.filePath("album.cue"));
        if (cue.open(QIODevice::WriteOnly)) {
            cue.write("FILE \"album.flac\" WAVE\n");
            for (int t = 0; t < 12; ++t)
                cue.write(QStringLiteral("  TRACK %1 AUDIO\n    INDEX 01 %2:%3:00\n")
                              .arg(t + 1, 2, 10, QLatin1Char('0'))
                              .arg(t * 200 / 60, 2, 10, QLatin1Char('0'))
                              .arg(t * 200 % 60, 2, 10, QLatin1Char('0'))
                              .toLatin1());
        }
        return dir.filePath("album.cue");
    }
    if (kind == "wav99") {
        for (int t = 1; t <= 99; ++t)
            writeAudio(dir.filePath(QStringLiteral("%1.wav").arg(t, 2, 10, QLatin1Char('0'))), 20,
                       false);
        return dir.path();
    }
    return {};
}

const std::vector<std::string> kKinds = {"demo",  "flac74",    "cue12",
                                         "wav99", "slowdrive", "titles100k"};

// A disc title file of 100,000 discs with twelve named tracks each (19 MB), made on first use.
QString bigTitleFile() {
    const QString path = QDir(ripsFolder()).filePath(QStringLiteral("titles100k.ini"));
    if (QFile::exists(path)) return path;
    QDir().mkpath(ripsFolder());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    for (int d = 0; d < 100000; ++d) {
        QByteArray disc = "[" + QByteArray::number(0x10000000u + d * 7919u, 16).toUpper() + "]\r\n";
        disc += "Artist=\xd6\xdc\xbd\xdc\xc2\xd7 " + QByteArray::number(d) + "\r\n";
        disc += "Title=Album " + QByteArray::number(d) + "\r\n";
        for (int t = 0; t < 12; ++t)
            disc += QByteArray::number(t) + "=Track " + QByteArray::number(t + 1) + "\r\n";
        file.write(disc);
    }
    return path;
}

// A real drive that takes 3 s to open; the machine has no other.
corvina::cd::ProbeParts slowDrive() {
    corvina::cd::ProbeParts parts;
    parts.listDevices = [] { return std::vector<std::string>{"/dev/sr0"}; };
    parts.openDevice = [](const std::string&) -> std::unique_ptr<Drive> {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        return std::make_unique<corvina::cd::FakeDrive>(std::vector<int>(12, 4 * 60 * 75));
    };
    return parts;
}

corvina::cd::ProbeParts noDrives() {
    corvina::cd::ProbeParts parts;
    parts.listDevices = [] { return std::vector<std::string>{}; };
    parts.openDevice = [](const std::string&) { return std::unique_ptr<Drive>(); };
    return parts;
}

// From the drive probe to the window's first paint, as the program does it.
void BM_FirstWindow(benchmark::State& state) {
    const std::string& kind = kKinds[std::size_t(state.range(0))];
    state.SetLabel(kind);
    const QString path = rip(kind);
    const QByteArray titles = qgetenv("CORVINA_TITLE_FILE");
    if (kind == "titles100k")  // the demo disc, with a title file of 100,000 discs
        setenv("CORVINA_TITLE_FILE", QFile::encodeName(bigTitleFile()).constData(), 1);
    if (path.isEmpty()) {
        unsetenv("CORVINA_DISC");
    } else {
        setenv("CORVINA_DISC", QFile::encodeName(path).constData(), 1);
    }
    for (auto _ : state) {
        corvina::cd::rememberDisc(QString());
        corvina::cd::DriveSet::install(
            corvina::cd::probeDrives(kind == "slowdrive" ? slowDrive() : noDrives()));
        {
            TFormMain form;
            form.show();
            QCoreApplication::processEvents();  // the first paint
            state.PauseTiming();
            if (kind != "slowdrive" && !form.DiscPresent) state.SkipWithError("no disc");
            form.MenuExitClick(nullptr);
        }
        corvina::mci::resetForTesting();
        corvina::cd::DriveSet::install({});  // a slow drive is waited for here, untimed
        state.ResumeTiming();
    }
    unsetenv("CORVINA_DISC");
    setenv("CORVINA_TITLE_FILE", titles.constData(), 1);
}
BENCHMARK(BM_FirstWindow)->DenseRange(0, 5)->Iterations(3)->Unit(benchmark::kMillisecond);

// A sound device that notes when the first sample reaches it.
struct FirstSample {
    std::atomic<long long> at{0};  // steady-clock nanoseconds; 0: nothing yet
    int lead = 0;
};

class NoteSink : public corvina::audio::AudioSink {
public:
    explicit NoteSink(FirstSample& note) : note_(note) {}
    bool write(const std::int16_t*, int, std::string&) override {
        long long expected = 0;
        note_.at.compare_exchange_strong(expected, Clock::now().time_since_epoch().count());
        return true;
    }
    int leadSectors() const override { return note_.lead; }

private:
    FirstSample& note_;
};

// From "play" (arg 1: 0 from the start, 1 a seek to track 5) to the first sample at the device
// (arg 2: 15 a device fed ahead, as ALSA is; 0 the null and WAV outputs, paced by the clock).
void BM_FirstSample(benchmark::State& state) {
    const std::string& kind = kKinds[std::size_t(state.range(0))];
    const bool seek = state.range(1) != 0;
    FirstSample note;
    note.lead = int(state.range(2));
    state.SetLabel(kind + (seek ? " seek" : " play") + (note.lead ? " device" : " paced"));
    QString error;
    std::shared_ptr<corvina::cd::DiscSource> disc =
        kind == "demo" ? corvina::cd::makeDemoDisc() : corvina::cd::loadDiscImage(rip(kind), error);
    if (!disc) {
        state.SkipWithError(error.toLocal8Bit().constData());
        return;
    }
    corvina::audio::AudioOutput output(
        "note", [&](std::string&) { return std::make_unique<NoteSink>(note); });
    corvina::cd::VirtualDrive timed("bench", disc,
                                    std::make_unique<corvina::cd::PlaybackEngine>(disc, output));
    const corvina::cd::Toc toc = disc->toc();
    const int from =
        seek ? toc.trackStart(std::min(5, toc.trackCount())) + 75 * 30 : toc.firstFrame();
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        timed.stop();
        timed.seek(toc.firstFrame());
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        note.at = 0;
        state.ResumeTiming();
        const auto start = Clock::now();
        timed.play(from, toc.leadOut);
        while (note.at == 0) std::this_thread::sleep_for(std::chrono::microseconds(100));
        total += double(note.at - start.time_since_epoch().count()) / 1e6;
    }
    state.counters["ms_to_first_sample"] = total / double(state.iterations());
}
BENCHMARK(BM_FirstSample)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}, {0, 15}})
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return corvina::bench::runPlayerBenchmarks(argc, argv, [] {
        // The first window of the process loads the pictures and fonts every later one shares;
        // it is not what a kind of disc costs.
        corvina::cd::DriveSet::install({});
        TFormMain warmUp;
        warmUp.show();
        QCoreApplication::processEvents();
        corvina::mci::resetForTesting();
    });
}
