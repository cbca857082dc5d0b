#include "components/FlatHintLayout.h"

#include <QFontMetrics>
#include <QRegularExpression>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>

namespace corvina::hint {

Corner cornerFor(QPoint p, const QRect& screen) {
    const int midX = screen.left() + screen.width() / 2;
    const int midY = screen.top() + screen.height() / 2;
    if (!screen.contains(p)) return LeftAbove;
    const bool left = p.x() < midX;
    const bool top = p.y() < midY;
    if (top) return left ? RightBelow : LeftBelow;
    return left ? RightAbove : LeftAbove;
}

QRect boxRect(QPoint p, QSize size, Corner corner) {
    const int w = size.width();
    const int h = size.height();
    const int gap = corner == RightBelow ? 12 : 5;
    switch (corner) {
        case LeftBelow: return {p.x() - w - gap, p.y() + gap, w, h};
        case RightBelow: return {p.x() + gap, p.y() + gap, w, h};
        case LeftAbove: return {p.x() - w - gap, p.y() - h - gap, w, h};
        case RightAbove: return {p.x() + gap, p.y() - h - gap, w, h};
    }
    return {};
}

namespace {

bool stripOnLeft(Corner corner) { return corner == RightBelow || corner == RightAbove; }

// Rectangles given as (left, top, right, bottom) with right and bottom exclusive.
QRect fromEdges(int left, int top, int right, int bottom) {
    return {QPoint(left, top), QSize(right - left, bottom - top)};
}

}  // namespace

QRect stripRect(QSize size, Corner corner) {
    const int w = size.width();
    const int h = size.height();
    return stripOnLeft(corner) ? fromEdges(1, 1, 15, h - 1) : fromEdges(w - 15, 1, w - 1, h - 1);
}

QRect textAreaRect(QSize size, Corner corner) {
    const int w = size.width();
    const int h = size.height();
    return stripOnLeft(corner) ? fromEdges(15, 1, w - 1, h - 1) : fromEdges(1, 1, w - 15, h - 1);
}

QPoint arrowPoint(QSize size, Corner corner) {
    const QRect s = stripRect(size, corner);
    // Exclusive right and bottom edges, as the strip's rectangle was given.
    const int right = s.left() + s.width();
    const int bottom = s.top() + s.height();
    switch (corner) {
        case RightBelow: return {s.left() + 2, s.top() + 2};
        case LeftBelow: return {right - 3, s.top() + 2};
        case RightAbove: return {s.left() + 2, bottom - 3};
        case LeftAbove: return {right - 3, bottom - 3};
    }
    return {};
}

QPolygon arrowPolygon(QSize size, Corner corner) {
    static constexpr int kPoints[18][2] = {{0, 0}, {0, 6}, {1, 6}, {1, 0}, {6, 0}, {6, 1},
                                           {2, 1}, {2, 4}, {5, 7}, {6, 7}, {3, 4}, {3, 3},
                                           {6, 6}, {7, 6}, {3, 2}, {4, 2}, {7, 5}, {7, 6}};
    const QPoint a = arrowPoint(size, corner);
    const int sx = stripOnLeft(corner) ? 1 : -1;
    const int sy = (corner == RightBelow || corner == LeftBelow) ? 1 : -1;
    QPolygon polygon;
    for (const auto& p : kPoints) polygon << QPoint(a.x() + sx * p[0], a.y() + sy * p[1]);
    return polygon;
}

WrappedText wrapText(const QString& text, const QFont& font, int maxTextWidth) {
    const QFontMetrics metrics(font);
    QTextOption option;
    // Word boundaries first; a word too long for the box is cut rather than widening the box
    // off the screen. Blanks count, so " 播放 " keeps its margins on both sides.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setFlags(QTextOption::IncludeTrailingSpaces);

    WrappedText result;
    int width = 0;
    static const QRegularExpression kBreak(QStringLiteral("\r\n|\r|\n"));
    for (const QString& paragraph : text.split(kBreak)) {
        if (paragraph.isEmpty()) {
            result.lines.append(QString());
            continue;
        }
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(std::max(1, maxTextWidth));
            const QString text = paragraph.mid(line.textStart(), line.textLength());
            result.lines.append(text);
            // The blank at a wrap point is where the line broke, not part of its width; the
            // paragraph's own last line keeps its blanks.
            const bool wrapped = line.textStart() + line.textLength() < paragraph.size();
            QString measured = text;
            if (wrapped)
                while (!measured.isEmpty() && measured.back().isSpace()) measured.chop(1);
            width = std::max(width, metrics.horizontalAdvance(measured));
        }
        layout.endLayout();
    }
    result.extent = QSize(width, int(result.lines.size()) * metrics.height());
    return result;
}

QSize boxSize(const QString& text, const QFont& font, int maxHintWidth) {
    const QSize extent = wrapText(text, font, maxHintWidth - kExtraWidth).extent;
    return {extent.width() + kExtraWidth, extent.height() + kExtraHeight};
}

Scheduler::Action Scheduler::pointerOver(quintptr control, qint64 now) {
    if (control == 0) return cancel();
    if (control == control_) {
        // The hint waits for the pointer to rest: a move within the control before it showed
        // starts the pause again, so a sweep across the window shows nothing on the way.
        if (waitingToShow_) deadline_ = now + waitingPause_;
        return Action::None;
    }
    const bool wasActive = active_;
    const Action action = cancel();
    control_ = control;
    waitingToShow_ = true;
    waitingPause_ = wasActive ? timings_.shortPause : timings_.pause;
    deadline_ = now + waitingPause_;
    return action;
}

Scheduler::Action Scheduler::cancel() {
    const bool wasShowing = showing_;
    control_ = 0;
    active_ = false;
    showing_ = false;
    waitingToShow_ = false;
    deadline_.reset();
    return wasShowing ? Action::Hide : Action::None;
}

Scheduler::Action Scheduler::due(qint64 now) {
    if (!deadline_ || now < *deadline_) return Action::None;
    deadline_.reset();
    if (waitingToShow_) {
        waitingToShow_ = false;
        return Action::Show;
    }
    if (showing_) {
        showing_ = false;  // stays active: the next control's hint follows quickly
        return Action::Hide;
    }
    return Action::None;
}

void Scheduler::shown(qint64 now, int hideTimeout) {
    active_ = true;
    showing_ = true;
    deadline_ = now + hideTimeout;
}

}  // namespace corvina::hint
