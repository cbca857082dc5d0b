#pragma once
// Pixels put straight onto a window's surface on the display, past the toolkit's backing store.
//
// For a small area repainted many times a second (the marquee's twenty frames), the backing
// store's round (begin a paint, convert the region to device pixels, copy the area out of the
// store's image, upload it to the store's server-side copy, copy that onto the window) costs
// several times the upload itself. The caller keeps the store right for everything else: the
// area put here is stale in the store until the widget next repaints it the ordinary way, so
// the caller repaints it that way whenever the window is exposed.
//
// UI thread only.
#include <QPoint>

class QImage;
class QWindow;

namespace corvina::shell {

// Puts `image` (QImage::Format_RGB32, in device pixels) on `window` with its top left corner at
// the device pixel `at`. False, with nothing drawn, where that cannot be done: not on X11, a
// window whose pixels are not 32-bit words in the image's byte order, or an image the display
// would not take in one request. The caller then paints the ordinary way.
bool putOnWindow(QWindow* window, QPoint at, const QImage& image);

}  // namespace corvina::shell
