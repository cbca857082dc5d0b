#pragma once
// The arithmetic of the menu's visual effects, free of windows: the opacity table that blends a
// menu over the screen beneath it, the fade-in's per-frame deltas, and the darkening of the drop
// shadow's two strips.
//
// Images are QImage::Format_RGB32 (other formats are converted); every byte of a pixel is a
// "colour byte" for the blend and the fade (the padding byte is 255 in both images and stays so),
// and the three colour bytes B, G, R for the shadow.
//
// UI thread only (the library's one opacity table is shared without a lock).
#include <QImage>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace am2000 {

// The fade: S steps of F milliseconds.
inline constexpr int kFadeSteps = 16;
inline constexpr int kFadeFrameMs = 10;
// The drop shadow's width (right strip) and height (bottom strip).
inline constexpr int kShadowSize = 4;

// n / d rounded to the nearest integer, halves to the even neighbour (d > 0).
int roundHalfEven(int n, int d);

// 256 x 256 bytes: entry [m][b] is b + opacity % of the way from b to m, rounded halves to even.
class T_AM2000_OpacityTable {
public:
    // Rebuilds the table when it was built for another opacity (1 to 100).
    void build(int opacity);
    int opacity() const { return opacity_; }
    std::uint8_t at(int menu, int background) const { return table_[menu * 256 + background]; }
    // shown[i] = table[menu[i]][background[i]]; the images must have the same size.
    QImage blend(const QImage& menu, const QImage& background) const;

private:
    std::array<std::uint8_t, 65536> table_{};
    int opacity_ = 0;  // not built yet
};

// The library's table, shared by every menu window.
T_AM2000_OpacityTable& opacityTable();

// A menu picture with the buffers its effects need, each made when first needed: the background
// (the screen beneath), the output (what the window shows during the fade) and the delta (one
// signed step per colour byte).
class T_AM2000_Bits {
public:
    explicit T_AM2000_Bits(const QImage& menu);

    const QImage& menu() const { return menu_; }
    void setBackground(const QImage& background);
    bool hasBackground() const { return !background_.isNull(); }
    // Throws corvina::Error "Background data not set." before setBackground().
    const QImage& background() const;

    // delta[i] = (menu[i] - background[i]) / kFadeSteps rounded halves to even; the output starts
    // as the background.
    void prepareFade();
    // output[i] += delta[i], clamped to 0..255, skipping bytes whose delta is 0.
    void stepFade();
    const QImage& output() const { return output_; }
    const std::vector<std::int8_t>& delta() const { return delta_; }

private:
    QImage menu_;
    QImage background_;
    QImage output_;
    std::vector<std::int8_t> delta_;
};

// The fade of one menu window: frame counter 1 .. while counter < S x opacity / 100.
class T_AM2000_Fade {
public:
    // Starts from `background` towards `menu` at the given opacity (1 to 100).
    void start(const QImage& menu, const QImage& background, int opacity);
    bool running() const { return bits_ != nullptr; }
    // Runs one frame. Returns false when the fade was already over: the buffers are released then
    // and the window paints normally.
    bool step();
    // What the window shows while running.
    const QImage& output() const;
    int counter() const { return counter_; }
    void stop();

private:
    std::unique_ptr<T_AM2000_Bits> bits_;
    int counter_ = 0;
    int opacity_ = 100;
};

// 256 x 9: entry [v][k - 1] = v x k / 9 rounded halves to even, k = 1 .. 9.
std::uint8_t darken(int value, int k);

// Darkens the right strip (kShadowSize wide, the menu's height) of the drop shadow in place,
// darkest against the menu (its left column), with softened ends at its top and bottom rows.
void darkenRightStrip(QImage& strip);
// Darkens the bottom strip (the menu's width less kShadowSize, kShadowSize high) in place,
// darkest against the menu (its top row), with a softened left end.
void darkenBottomStrip(QImage& strip);

}  // namespace am2000
