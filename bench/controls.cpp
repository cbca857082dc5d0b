// Cost of the skinned controls' steady work: one marquee frame (tick plus paint) and one LCD
// repaint, both rendered into an image as on the window's surface.
#include <benchmark/benchmark.h>

#include <QFont>
#include <QImage>
#include <cstdlib>

#include "app/Application.h"
#include "components/LCD.h"
#include "components/ScrollingText.h"

namespace {

QImage digitStrip() {
    QImage strip(99, 13, QImage::Format_RGB32);
    strip.fill(Qt::black);
    for (int k = 0; k < 11; ++k) strip.setPixel(k * 9 + 4, 6, qRgb(255, 60, 60));
    return strip;
}

void MarqueeFrame(benchmark::State& state) {
    TScrollingText text;
    text.setGeometry(144, 6, 177, 12);
    text.setText(QStringLiteral("某位歌手 - 一张专辑 - 第三首歌的名字"));
    text.setBackgroundColor(clBlack);
    text.setTextDirection(tdRightToLeft);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    text.setFont(font);
    text.setFontColor(7961087);
    text.Loaded();
    QImage surface(177, 12, QImage::Format_RGB32);
    for (auto _ : state) {
        text.tick();
        text.renderTo(surface);
        benchmark::DoNotOptimize(surface.constBits());
    }
}
BENCHMARK(MarqueeFrame);

void LcdRepaint(benchmark::State& state) {
    TLCD lcd;
    lcd.setDigits(digitStrip());
    lcd.setColor(0x02000000);
    lcd.setLength(2);
    QImage surface(24, 17, QImage::Format_RGB32);
    int value = 0;
    for (auto _ : state) {
        lcd.setValue(value++);
        lcd.renderTo(surface);
        benchmark::DoNotOptimize(surface.constBits());
    }
}
BENCHMARK(LcdRepaint);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    corvina::prepareApplicationEnvironment();
    corvina::TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
