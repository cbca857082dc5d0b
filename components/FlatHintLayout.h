#pragma once
// The arithmetic of the hint balloon, free of widgets so that it is tested without a window:
// where the box goes relative to the pointer, how its text wraps, where the side strip and the
// arrow glyph sit, and when a hint shows and hides.
//
// Placements (`Corner`) name the box's side of the pointer: 0 left-below, 1 right-below,
// 2 left-above, 3 right-above. The box always lies on the side of the pointer facing the middle
// of the screen, so it stays on screen.
#include <QFont>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>
#include <vector>

namespace corvina::hint {

enum Corner : int { LeftBelow = 0, RightBelow = 1, LeftAbove = 2, RightAbove = 3 };

// Width taken by the strip (14), the frame (2 x 1) and the text insets (2 x 3); height by the
// frame and the insets, with 2 pixels to spare.
inline constexpr int kExtraWidth = 22;
inline constexpr int kExtraHeight = 6;

// The quarter of `screen` the pointer `p` is in: top-left gives RightBelow, top-right LeftBelow,
// bottom-left RightAbove, anything else (bottom-right, or off the screen) LeftAbove. Quarters
// include their left and top edges.
Corner cornerFor(QPoint p, const QRect& screen);

// The box of `size` for a pointer at `p` (screen coordinates): 12 pixels away right-below (room
// for the pointer's own arrow), 5 in the other three placements.
QRect boxRect(QPoint p, QSize size, Corner corner);

// The strip, the text area and the glyph's anchor within a box of `size` (window coordinates).
QRect stripRect(QSize size, Corner corner);
QRect textAreaRect(QSize size, Corner corner);
QPoint arrowPoint(QSize size, Corner corner);
// The 18-point arrow glyph, pointing toward the pointer's corner.
QPolygon arrowPolygon(QSize size, Corner corner);

// Hint text laid out in lines: breaks at CR, LF or CR LF, then wraps at word boundaries (and
// between CJK characters) to `maxTextWidth`; a word wider than that is broken where it must, so
// the box never grows past its limit. '&' is an ordinary character.
struct WrappedText {
    QStringList lines;
    QSize extent;  // the widest line's width (blanks included) x the lines' height
};
WrappedText wrapText(const QString& text, const QFont& font, int maxTextWidth);

// The box size for `text`: the wrapped extent at `maxHintWidth` - 22 plus the strip, frame and
// insets.
QSize boxSize(const QString& text, const QFont& font, int maxHintWidth);

// When hints show and hide, driven by the pointer. Times are milliseconds on any monotonic
// clock the caller chooses (tests pass their own).
//
// The pointer resting over a control with a hint shows it after `pause`: every move within the
// control before then starts the pause again. Once a hint has shown, moving straight to another
// control with a hint shows that one after `shortPause` of rest. A shown hint
// hides after its hide timeout, and does not come back while the pointer stays over the same
// control. A press, a key, or the pointer over nothing with a hint ends it all (the next hint
// waits the full pause again).
struct Timings {
    int pause = 500;
    int shortPause = 25;
    int hidePause = 5000;
};

class Scheduler {
public:
    enum class Action { None, Show, Hide };

    void setTimings(const Timings& timings) { timings_ = timings; }
    const Timings& timings() const { return timings_; }

    // The pointer is over `control` (an identity; 0 for nothing with a hint). Returns Hide when a
    // shown hint must go at once.
    Action pointerOver(quintptr control, qint64 now);
    // A press, a key, the application losing the pointer.
    Action cancel();
    // Call at or after `deadline()`: Show (the caller shows the hint of `control()` and calls
    // `shown` or, when it decided not to, `cancel`) or Hide.
    Action due(qint64 now);
    // The hint of `control()` is on screen now; it hides `hideTimeout` ms later.
    void shown(qint64 now, int hideTimeout);

    std::optional<qint64> deadline() const { return deadline_; }
    quintptr control() const { return control_; }
    bool isShowing() const { return showing_; }

private:
    Timings timings_;
    quintptr control_ = 0;
    bool active_ = false;   // a hint showed for this control (even if it has hidden since)
    bool showing_ = false;  // on screen now
    bool waitingToShow_ = false;
    int waitingPause_ = 0;  // the pause the hint waiting to show waits (full or short)
    std::optional<qint64> deadline_;
};

}  // namespace corvina::hint
