// A long run on an injected clock: the drive's clock moves one second per tick, discs end and
// are changed, and the display stays right. The test run does a few thousand ticks;
// scripts/fault-long does a million (CORVINA_TICKS) and checks that memory stays flat.
#include <unistd.h>

#include <QFile>
#include <cstdio>

#include "tests/app/MainFixture.h"

namespace corvina::test {
namespace {

// Resident memory of this process in kB.
long residentKb() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (::sysconf(_SC_PAGESIZE) / 1024) : 0;
}

TEST_F(MainWindowTest, ManyTicksOnAnInjectedClockKeepTheDisplayRightAndMemoryFlat) {
    const int ticks = qEnvironmentVariableIsSet("CORVINA_TICKS")
                          ? qEnvironmentVariableIntValue("CORVINA_TICKS")
                          : 3000;
    insertDrive({4 * kMinute, 3 * kMinute, 5 * kMinute});
    writeSettings();
    TFormMain& form = start();
    long warm = 0;
    int discsPlayed = 0;
    for (int i = 1; i <= ticks; ++i) {
        drive_->advance(kSecond);
        tick();
        if (!drive_->isPlaying()) {
            // The disc ended: out and in again, and it plays by itself.
            form.CDEject(nullptr);
            form.CDEject(nullptr);
            ++discsPlayed;
            ASSERT_TRUE(drive_->isPlaying()) << "tick " << i;
        }
        commands_.clear();
        if (i == ticks / 10) warm = residentKb();
    }
    EXPECT_GT(discsPlayed, ticks / (13 * 60) - 1);
    EXPECT_TRUE(errors_->messages().isEmpty()) << errors_->messages().join('\n').toStdString();
    EXPECT_EQ(form.LabelStatus->Caption(), QStringLiteral("正在播放..."));
    const long end = residentKb();
    std::fprintf(stderr, "ticks %d, discs %d, resident %ld kB after a tenth, %ld kB at the end\n",
                 ticks, discsPlayed, warm, end);
    // Flat: what a tenth of the run needed is all the run needs (allocator slack aside). Only
    // measured in the long run of scripts/fault-long, on a build without sanitizers (their
    // quarantine holds freed memory on purpose).
    if (qEnvironmentVariableIsSet("CORVINA_TICKS")) {
        EXPECT_LT(end - warm, 4096) << "kB grown";
    }
}

}  // namespace
}  // namespace corvina::test
