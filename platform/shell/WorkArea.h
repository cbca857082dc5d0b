#pragma once
// The primary screen and the part of it that panels (task bars, docks) keep for themselves, as
// the main window's placement needs them: the views are placed on the primary screen, and the
// edge snapping keeps the window off the panel.
//
// Rectangles are in global desktop pixels unless said otherwise. UI thread only.
#include <QRect>

namespace corvina::shell {

// A rectangle by its four edges, the right and bottom edges exclusive (a 10 x 10 square at the
// origin is {0, 0, 10, 10}): the form in which the snapping rules compare edges.
struct EdgeRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const EdgeRect&) const = default;
};

class WorkArea {
public:
    virtual ~WorkArea() = default;
    // The primary screen (an empty rectangle when the display has no screen at all).
    virtual QRect primaryScreen() const = 0;
    // The part of the primary screen that panels leave free: the whole screen without panels.
    virtual QRect availableArea() const = 0;
};

// The work area in use: the display's own, or the one a test installed.
WorkArea& workArea();
// Installs `area` (not owned) in place of the display's; null puts the display's back.
void setWorkArea(WorkArea* area);

// The task bar's rectangle relative to the primary screen's top-left corner, derived from the
// part of `screen` that lies outside `available`. A panel along a whole edge is reported the way
// a task bar docked there reports itself: reaching 2 pixels beyond the screen on its three outer
// sides, for instance {-2, H - 30, W + 2, H + 2} for a 30-pixel panel at the bottom of a W x H
// screen. Only one edge is reported, the first of bottom, top, left and right that a panel
// takes; without a panel the result is {0, 0, 0, 0}, which lies along no edge.
EdgeRect taskbarRect(const QRect& screen, const QRect& available);

}  // namespace corvina::shell
