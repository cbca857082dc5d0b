#pragma once
// Window shapes cut the way the original platform cuts a rounded-rectangle region: the same
// rectangle and corner ellipse give the same pixels, so a skin drawn for those corners fits.
//
// Any thread (pure arithmetic).
#include <QRegion>

namespace corvina::shell {

// The region of the rounded rectangle from (left, top) to (right, bottom) whose corners are
// quarters of an ellipse of ellipseWidth x ellipseHeight pixels. The right and bottom edges are
// outside the region, so (0, 0, w + 1, h + 1) covers a w x h window exactly, with four
// mirror-image corners. Coordinates may come in either order; an ellipse larger than the
// rectangle is cut to it; an ellipse less than 2 pixels wide or high gives the plain rectangle.
QRegion roundRectRegion(int left, int top, int right, int bottom, int ellipseWidth,
                        int ellipseHeight);

}  // namespace corvina::shell
