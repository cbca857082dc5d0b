#pragma once
// TScreenSnap: keeps its owner window on the primary screen and pulls it flush against an edge
// of the area the panels leave free when a move of the window ends within `Threshold` pixels of
// that edge (or beyond it).
//
// It watches the owner's events and passes every one on untouched. A move by the window manager
// (the player's own drag hands the window to it, and the desktop may move windows too) ends
// when no pointer button is held any more and the window has come to rest; moves the player
// makes itself (placing a view, a snap) end nothing. The owner widget keeps the watch when its
// native window is re-created, as changing stay-on-top does.
//
// UI thread only.
#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QTimer>

#include "platform/shell/WorkArea.h"

class QWidget;

class TScreenSnap : public QObject {
    Q_OBJECT
public:
    // Raises corvina::Error "TScreenSnap component cannot be duplicated in NAME" when `owner`
    // holds one already (before joining it), and "Owner of TScreenSnap component must be a
    // form!" when `owner` is not a window.
    explicit TScreenSnap(QObject* owner);
    ~TScreenSnap() override;

    // Snapping happens only while true.
    bool Active = true;
    // Distance in pixels from an edge of the free area within which the window is snapped to it.
    int Threshold = 30;

    // The end of a move of the owner window: snaps it when Active. The window manager's moves
    // end here by themselves; a move the player carries out itself calls it when done.
    void exitSizeMove();

    // How long a moved window must rest, with no button held, before its move counts as ended.
    static constexpr int kSettleMs = 100;
    // A move reported this soon after a snap, with no button held, is the window system's
    // answer to the snap: a place it preferred is left alone rather than fought over.
    static constexpr int kAnswerMs = 500;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ownerMoved(QPoint to, bool byWindowSystem);
    void settle();
    void snap();

    QWidget* form_ = nullptr;
    QTimer settle_;
    bool moving_ = false;
    // Where the player last put the window itself; the window system reports that place back.
    QPoint placed_;
    QElapsedTimer sinceSnap_;
    bool awaitingAnswer_ = false;
};

namespace corvina {

// The usable area of a `screen`-sized primary screen: the whole screen, cut by the task bar
// when the task bar lies along one whole edge (reaching 2 pixels beyond the screen on its three
// outer sides; a rectangle flush with the screen's edges cuts nothing).
shell::EdgeRect snapArea(const shell::EdgeRect& taskbar, QSize screen);

// Where a window at `window` (relative to the primary screen) comes to rest: each edge nearer
// than `threshold` to the same edge of `area`, or beyond it, is pulled onto it; left, then top,
// then right, then bottom, so the right and bottom edges win when the window is too large.
QPoint snapPosition(const shell::EdgeRect& area, const QRect& window, int threshold);

}  // namespace corvina
