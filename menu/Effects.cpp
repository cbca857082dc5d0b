#include "menu/Effects.h"

#include <algorithm>

#include "platform/ErrorReport.h"

namespace am2000 {

namespace {

QImage rgb32(const QImage& image) {
    return image.format() == QImage::Format_RGB32 ? image
                                                   : image.convertToFormat(QImage::Format_RGB32);
}

// Colour bytes of a pixel row, padding byte excluded (B, G, R on little-endian; offsets from the
// pixel's address).
std::array<int, 3> colourOffsets() {
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) return {0, 1, 2};
    else return {1, 2, 3};
}

// Applies factor k(x, y) of k / 9 to every colour byte.
template <typename Factor>
void darkenStrip(QImage& strip, Factor factor) {
    if (strip.format() != QImage::Format_RGB32) strip = strip.convertToFormat(QImage::Format_RGB32);
    const auto offsets = colourOffsets();
    for (int y = 0; y < strip.height(); ++y) {
        std::uint8_t* row = strip.scanLine(y);
        for (int x = 0; x < strip.width(); ++x)
            for (int o : offsets) row[x * 4 + o] = factor(x, y, row[x * 4 + o]);
    }
}

}  // namespace

int roundHalfEven(int n, int d) {
    int q = n / d;
    int r = n % d;
    if (r < 0) {  // floor division, so that the remainder counts upwards
        q -= 1;
        r += d;
    }
    if (2 * r > d || (2 * r == d && (q & 1))) ++q;
    return q;
}

void T_AM2000_OpacityTable::build(int opacity) {
    opacity = std::clamp(opacity, 1, 100);
    if (opacity == opacity_) return;
    for (int m = 0; m < 256; ++m)
        for (int b = 0; b < 256; ++b)
            table_[m * 256 + b] = std::uint8_t(roundHalfEven(opacity * (m - b) + 100 * b, 100));
    opacity_ = opacity;
}

QImage T_AM2000_OpacityTable::blend(const QImage& menu, const QImage& background) const {
    const QImage m = rgb32(menu);
    const QImage b = rgb32(background);
    QImage shown(m.size(), QImage::Format_RGB32);
    if (b.size() != m.size()) return m;
    const qsizetype rowBytes = qsizetype(m.width()) * 4;
    for (int y = 0; y < m.height(); ++y) {
        const std::uint8_t* mr = m.constScanLine(y);
        const std::uint8_t* br = b.constScanLine(y);
        std::uint8_t* out = shown.scanLine(y);
        for (qsizetype i = 0; i < rowBytes; ++i) out[i] = table_[mr[i] * 256 + br[i]];
    }
    return shown;
}

T_AM2000_OpacityTable& opacityTable() {
    static T_AM2000_OpacityTable table;
    return table;
}

T_AM2000_Bits::T_AM2000_Bits(const QImage& menu) : menu_(rgb32(menu)) {}

void T_AM2000_Bits::setBackground(const QImage& background) {
    background_ = rgb32(background);
}

const QImage& T_AM2000_Bits::background() const {
    if (background_.isNull()) throw corvina::Error(QStringLiteral("Background data not set."));
    return background_;
}

void T_AM2000_Bits::prepareFade() {
    const QImage& bg = background();
    output_ = bg.copy();
    if (bg.size() != menu_.size()) {  // nothing to fade towards: show the menu as it is
        output_ = menu_.copy();
        delta_.clear();
        return;
    }
    const qsizetype rowBytes = qsizetype(menu_.width()) * 4;
    delta_.assign(std::size_t(rowBytes * menu_.height()), 0);
    std::int8_t* d = delta_.data();
    for (int y = 0; y < menu_.height(); ++y) {
        const std::uint8_t* mr = menu_.constScanLine(y);
        const std::uint8_t* br = bg.constScanLine(y);
        for (qsizetype i = 0; i < rowBytes; ++i)
            *d++ = std::int8_t(roundHalfEven(int(mr[i]) - int(br[i]), kFadeSteps));
    }
}

void T_AM2000_Bits::stepFade() {
    if (delta_.empty()) return;
    const qsizetype rowBytes = qsizetype(output_.width()) * 4;
    const std::int8_t* d = delta_.data();
    for (int y = 0; y < output_.height(); ++y) {
        std::uint8_t* out = output_.scanLine(y);
        for (qsizetype i = 0; i < rowBytes; ++i, ++d)
            if (*d != 0) out[i] = std::uint8_t(std::clamp(int(out[i]) + *d, 0, 255));
    }
}

void T_AM2000_Fade::start(const QImage& menu, const QImage& background, int opacity) {
    bits_ = std::make_unique<T_AM2000_Bits>(menu);
    bits_->setBackground(background);
    bits_->prepareFade();
    counter_ = 1;
    opacity_ = std::clamp(opacity, 1, 100);
}

bool T_AM2000_Fade::step() {
    if (!bits_) return false;
    // Over once the counter reaches S x opacity / 100, compared as a fraction.
    if (counter_ * 100 >= kFadeSteps * opacity_) {
        stop();
        return false;
    }
    bits_->stepFade();
    ++counter_;
    return true;
}

const QImage& T_AM2000_Fade::output() const {
    static const QImage none;
    return bits_ ? bits_->output() : none;
}

void T_AM2000_Fade::stop() {
    bits_.reset();
}

std::uint8_t darken(int value, int k) {
    static const auto table = [] {
        std::array<std::uint8_t, 256 * 9> t{};
        for (int v = 0; v < 256; ++v)
            for (int f = 1; f <= 9; ++f) t[v * 9 + f - 1] = std::uint8_t(roundHalfEven(v * f, 9));
        return t;
    }();
    return table[std::clamp(value, 0, 255) * 9 + std::clamp(k, 1, 9) - 1];
}

void darkenRightStrip(QImage& strip) {
    // Factors per column, from the menu's edge outwards; the three rows at each end soften.
    static constexpr int kEnd[3][4] = {{8, 8, 8, 9}, {7, 7, 8, 8}, {6, 6, 7, 8}};
    static constexpr int kMiddle[4] = {5, 6, 7, 8};
    const int h = strip.height();
    darkenStrip(strip, [h](int x, int y, std::uint8_t b) {
        if (x >= 4) return b;
        const int fromEnd = std::min(y, h - 1 - y);
        return darken(b, fromEnd < 3 ? kEnd[fromEnd][x] : kMiddle[x]);
    });
}

void darkenBottomStrip(QImage& strip) {
    // Rows counted from the bottom (row 0) to the menu's edge (row 3); the first four pixels of
    // each row soften the shadow's left end.
    static constexpr int kLeftEnd[4][4] = {{9, 8, 8, 8}, {8, 8, 7, 7}, {8, 7, 6, 6}, {8, 7, 6, 5}};
    const int h = strip.height();
    darkenStrip(strip, [h](int x, int y, std::uint8_t b) {
        const int n = h - 1 - y;
        if (n < 0 || n > 3) return b;
        if (x < 4) return darken(b, kLeftEnd[n][x]);
        return std::uint8_t((b / 9) * (8 - n));
    });
}

}  // namespace am2000
