#pragma once
// The screen beneath the menus: a cache of screen captures, so that every menu window, its fade,
// its translucency and its shadow see the screen as it was before the menus now open were shown.
//
// Each capture covers the rectangle asked for enlarged by kCaptureMargin pixels on every side.
// A request is served by the newest capture that contains it; otherwise a new capture is made
// from the screen and every earlier capture is painted over it at its own place (oldest first),
// so that areas the open menus now cover come from the captures taken before they opened.
//
// The screen is read through a T_AM2000_ScreenSource; where the platform refuses (a null image),
// captures are null and the callers fall back to the compositor's window opacity, or to an
// opaque menu.
//
// UI thread only.
#include <QImage>
#include <QRect>
#include <functional>
#include <vector>

namespace am2000 {

inline constexpr int kCaptureMargin = 20;

// Reads a rectangle of the screen (global coordinates); a null image when it cannot.
using T_AM2000_ScreenSource = std::function<QImage(const QRect&)>;

// The desktop's own screen: QScreen::grabWindow of the screen holding the rectangle.
QImage grabScreen(const QRect& rect);

struct T_AM2000_Screenshot {
    QRect rect;
    QImage image;  // Format_RGB32, rect's size
};

class T_AM2000_Desktop {
public:
    T_AM2000_Desktop();

    // Replaces the screen (tests, benchmarks); an empty function restores grabScreen.
    void setScreenSource(T_AM2000_ScreenSource source);
    // Whether the screen may be read at all: false once a capture was refused. Re-probed when
    // the cache is emptied.
    bool canCapture() const { return canCapture_; }

    // The screen content of `rect` as it was before the open menus were shown; a null image when
    // the platform refuses screen captures.
    QImage capture(const QRect& rect);
    // Fills the cache for `rect` without copying anything out.
    void prepare(const QRect& rect) { capture(rect, false); }

    const std::vector<T_AM2000_Screenshot>& captures() const { return captures_; }
    int screenReads() const { return screenReads_; }

    // Menu windows shown now: when the count falls to 0, the cache is emptied, unless the
    // keep-once flag is set, which is then cleared and the captures stay (for a menu that closes
    // only to open again at once).
    void windowShown() { ++shownWindows_; }
    void windowHidden();
    int shownWindows() const { return shownWindows_; }
    void setKeepOnce(bool keep) { keepOnce_ = keep; }
    bool keepOnce() const { return keepOnce_; }
    // Empties the cache under the same rule (the end of a popup).
    void release();
    void clear();

private:
    QImage capture(const QRect& rect, bool copyOut);

    T_AM2000_ScreenSource source_;
    std::vector<T_AM2000_Screenshot> captures_;  // oldest first
    int shownWindows_ = 0;
    int screenReads_ = 0;
    bool keepOnce_ = false;
    bool canCapture_ = true;
};

// The library's one cache.
T_AM2000_Desktop& desktop();

}  // namespace am2000
