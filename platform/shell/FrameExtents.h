#pragma once
// The frame the window manager puts round a top-level window: its border and title bar.
//
// Asked of the window manager before the window is first shown (_NET_REQUEST_FRAME_EXTENTS), so
// a dialog can be placed by its whole outer size rather than by its inner one. The answer is in
// the toolkit's pixels.
//
// UI thread only. Waits for the window manager's answer for at most a fifth of a second.
// Returns empty margins where the platform cannot tell: not X11, no window manager, or one that
// does not offer the request.
#include <QMargins>

class QWidget;

namespace corvina::shell {

QMargins frameExtents(QWidget* window);

}  // namespace corvina::shell
