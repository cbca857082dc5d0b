// The main menu's effects: one fade frame (the step over every colour byte and the paint of the
// result), one translucent paint through the opacity table, the table's rebuild, and opening the
// player's menu from the right button's release to its first frame painted.
//
// Run under X (QT_QPA_PLATFORM=xcb on an Xvfb display) to include the real screen capture.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <memory>

#include "app/Main.h"
#include "bench/support/PlayerBench.h"
#include "app/Picture.h"
#include "menu/Effects.h"
#include "menu/Menu2000.h"
#include "menu/MenuWindow.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/FakeDrive.h"

namespace {

// The size of the player's main menu window.
constexpr int kMenuWidth = 152, kMenuHeight = 240;

QImage noise(int seed) {
    QImage image(kMenuWidth, kMenuHeight, QImage::Format_RGB32);
    std::uint32_t x = 2463534242u + std::uint32_t(seed);
    for (int y = 0; y < image.height(); ++y)
        for (int i = 0; i < image.width(); ++i) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            image.setPixel(i, y, x | 0xFF000000u);
        }
    return image;
}

void BM_FadeFrame(benchmark::State& state) {
    am2000::T_AM2000_Bits bits(noise(1));
    bits.setBackground(noise(2));
    bits.prepareFade();
    QImage window(kMenuWidth, kMenuHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        bits.stepFade();
        QPainter(&window).drawImage(0, 0, bits.output());
        benchmark::DoNotOptimize(window.constBits());
    }
}
BENCHMARK(BM_FadeFrame)->Unit(benchmark::kMicrosecond);

void BM_TranslucentPaint(benchmark::State& state) {
    am2000::T_AM2000_OpacityTable table;
    table.build(88);
    const QImage menu = noise(3), background = noise(4);
    for (auto _ : state) benchmark::DoNotOptimize(table.blend(menu, background));
}
BENCHMARK(BM_TranslucentPaint)->Unit(benchmark::kMicrosecond);

void BM_OpacityTableBuild(benchmark::State& state) {
    am2000::T_AM2000_OpacityTable table;
    int opacity = 1;
    for (auto _ : state) {
        table.build(opacity);
        opacity = opacity % 100 + 1;
    }
}
BENCHMARK(BM_OpacityTableBuild)->Unit(benchmark::kMicrosecond);

// From the right button's release on the background to the first frame of the menu painted
// (captures, shadow, sound and all); the menu is then closed.
void BM_ClickToFirstFrame(benchmark::State& state) {
    std::vector<std::unique_ptr<corvina::cd::Drive>> drives;
    drives.push_back(std::make_unique<corvina::cd::FakeDrive>(std::vector<int>(3, 3 * 60 * 75)));
    corvina::cd::DriveSet::install(std::move(drives));
    corvina::bench::seedSettings(false);
    TFormMain form;
    form.move(100, 100);
    form.show();
    form.raise();
    QCoreApplication::processEvents();

    QElapsedTimer clock;
    double firstFrame = 0;
    form.MenuMain->OnWindowPainted = [&](T_AM2000_MenuWindow* window) {
        if (firstFrame > 0 || window->parentWindow()) return;
        firstFrame = double(clock.nsecsElapsed()) / 1e9;
        QTimer::singleShot(0, window, [window] { window->close(); });
    };
    const QPointF at(130, 40);
    for (auto _ : state) {
        firstFrame = 0;
        QMouseEvent release(QEvent::MouseButtonRelease, at, form.ImageBack->mapToGlobal(at),
                            Qt::RightButton, Qt::NoButton, Qt::NoModifier);
        clock.start();
        QCoreApplication::sendEvent(form.ImageBack, &release);
        state.SetIterationTime(firstFrame);
        // Let the windows that just closed leave the screen before the next opening.
        QCoreApplication::processEvents();
    }
    form.MenuMain->OnWindowPainted = nullptr;
}
BENCHMARK(BM_ClickToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return corvina::bench::runPlayerBenchmarks(argc, argv);
}
