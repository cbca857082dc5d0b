#include "platform/shell/WorkArea.h"

namespace corvina::shell {

WorkArea& displayWorkArea();  // QtWorkArea.cpp

namespace {
WorkArea* installed = nullptr;
}

WorkArea& workArea() {
    return installed ? *installed : displayWorkArea();
}

void setWorkArea(WorkArea* area) {
    installed = area;
}

EdgeRect taskbarRect(const QRect& screen, const QRect& available) {
    if (screen.isEmpty() || available.isEmpty()) return {};
    const int w = screen.width();
    const int h = screen.height();
    // The free part, relative to the screen, with exclusive right and bottom edges.
    const QRect free = available.translated(-screen.topLeft()).intersected(QRect(0, 0, w, h));
    if (free.isEmpty()) return {};
    const int freeLeft = free.left();
    const int freeTop = free.top();
    const int freeRight = free.left() + free.width();
    const int freeBottom = free.top() + free.height();
    if (freeBottom < h) return {-2, freeBottom, w + 2, h + 2};
    if (freeTop > 0) return {-2, -2, w + 2, freeTop};
    if (freeLeft > 0) return {-2, -2, freeLeft, h + 2};
    if (freeRight < w) return {freeRight, -2, w + 2, h + 2};
    return {};
}

}  // namespace corvina::shell
