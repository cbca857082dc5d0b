#include "platform/shell/RoundRectRegion.h"

#include <QRect>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace corvina::shell {
namespace {

// How far each row of an ellipse's lower half lies inside the ellipse's bounding box, indexed by
// the row within that box (from the middle row down). The boundary is traced with the integer
// error-term stepping of Zingl's ellipse rasteriser, which decides every pixel exactly as the
// original does.
std::vector<int> lowerHalfInsets(int width, int height) {
    const std::int64_t a = width - 1;
    const std::int64_t b = height - 1;
    const std::int64_t oddB = b % 2;
    std::int64_t errorStepX = 4 * b * b * (1 - a);     // the error's change for a step across
    std::int64_t errorStepY = 4 * a * a * (1 + oddB);  // ... and for a step down
    std::int64_t error = errorStepX + errorStepY + a * a * oddB;

    std::vector<int> insets(std::size_t(height), -1);
    int x = 0;
    int row = height / 2;
    insets[std::size_t(row)] = 0;
    while (x <= width / 2) {
        const std::int64_t doubled = 2 * error;
        if (doubled >= errorStepX) {
            ++x;
            errorStepX += 8 * b * b;
            error += errorStepX;
        }
        if (doubled <= errorStepY) {
            ++row;
            errorStepY += 8 * a * a;
            error += errorStepY;
            if (row < height) insets[std::size_t(row)] = x;
        }
    }
    // A very flat or very narrow ellipse leaves the trace before its tip: the rows left over
    // keep the narrowest width reached, so the shape stays convex.
    for (std::size_t i = 1; i < insets.size(); ++i)
        if (insets[i] < 0) insets[i] = insets[i - 1];
    return insets;
}

}  // namespace

QRegion roundRectRegion(int left, int top, int right, int bottom, int ellipseWidth,
                        int ellipseHeight) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    // The last column and row are not part of the region.
    --right;
    --bottom;
    const int width = std::min(right - left, std::abs(ellipseWidth));
    const int height = std::min(bottom - top, std::abs(ellipseHeight));
    if (width < 2 || height < 2) {
        if (right <= left || bottom <= top) return {};
        return QRegion(left, top, right - left, bottom - top);
    }

    const std::vector<int> insets = lowerHalfInsets(width, height);
    const auto span = [&](int y, int rows, int inset) {
        return QRect(left + inset, y, right - left - 2 * inset, rows);
    };
    QRegion region;
    const int middle = height / 2;
    // The top corners mirror the bottom ones.
    for (int i = 0; i < middle; ++i)
        region += span(top + i, 1, insets[std::size_t(height - 1 - i)]);
    // The middle row of the ellipse stretches over the straight sides.
    const int straightEnd = bottom - height + middle + 1;
    region += span(top + middle, straightEnd - (top + middle), 0);
    for (int i = middle + 1; i < height; ++i)
        region += span(bottom - height + i, 1, insets[std::size_t(i)]);
    return region;
}

}  // namespace corvina::shell
