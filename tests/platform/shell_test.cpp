// Window shapes, the task bar derived from the screen's free area, and the display platform
// chosen on Wayland sessions.
#include <gtest/gtest.h>

#include <QRegion>
#include <optional>

#include "platform/shell/DisplayPlatform.h"
#include "platform/shell/RoundRectRegion.h"
#include "platform/shell/WorkArea.h"

namespace corvina::shell {
namespace {

// The pixels missing at the start and at the end of row y within [0, width).
std::pair<int, int> rowCuts(const QRegion& region, int y, int width) {
    int left = 0;
    while (left < width && !region.contains(QPoint(left, y))) ++left;
    int right = 0;
    while (right < width && !region.contains(QPoint(width - 1 - right, y))) ++right;
    return {left, right};
}

TEST(RoundRectRegion, FullViewHasFourMirrorImageCorners) {
    const QRegion region = roundRectRegion(0, 0, 461, 65, 18, 18);
    EXPECT_EQ(region.boundingRect(), QRect(0, 0, 460, 64));
    // Rows from the outermost inwards: the same cut at each of the four corners.
    const int cuts[] = {6, 4, 3, 2, 1, 1, 0, 0, 0};
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rowCuts(region, i, 460), std::make_pair(cuts[i], cuts[i]));       // top
        EXPECT_EQ(rowCuts(region, 63 - i, 460), std::make_pair(cuts[i], cuts[i]));  // bottom
    }
    // Corner pixels one by one: the outermost pixel kept on the first row and the last cut one.
    EXPECT_FALSE(region.contains(QPoint(5, 0)));
    EXPECT_TRUE(region.contains(QPoint(6, 0)));
    EXPECT_TRUE(region.contains(QPoint(453, 0)));
    EXPECT_FALSE(region.contains(QPoint(454, 0)));
    EXPECT_FALSE(region.contains(QPoint(0, 5)));
    EXPECT_TRUE(region.contains(QPoint(0, 6)));
    EXPECT_TRUE(region.contains(QPoint(459, 57)));
    EXPECT_FALSE(region.contains(QPoint(459, 58)));
    EXPECT_FALSE(region.contains(QPoint(454, 63)));
    EXPECT_TRUE(region.contains(QPoint(453, 63)));
    // The straight edges are whole.
    EXPECT_TRUE(region.contains(QRect(0, 6, 460, 52)));
    EXPECT_TRUE(region.contains(QRect(6, 0, 448, 64)));
}

TEST(RoundRectRegion, ZeroEllipseIsThePlainRectangleWithoutItsLastRowAndColumn) {
    EXPECT_EQ(roundRectRegion(0, 0, 181, 19, 0, 0), QRegion(0, 0, 180, 18));
    // Below 2 pixels there is no curve to cut.
    EXPECT_EQ(roundRectRegion(0, 0, 181, 19, 1, 18), QRegion(0, 0, 180, 18));
}

TEST(RoundRectRegion, OrderOfCornersAndOversizedEllipses) {
    EXPECT_EQ(roundRectRegion(461, 65, 0, 0, 18, 18), roundRectRegion(0, 0, 461, 65, 18, 18));
    EXPECT_EQ(roundRectRegion(0, 0, 461, 65, -18, -18), roundRectRegion(0, 0, 461, 65, 18, 18));
    // An ellipse larger than the rectangle is cut to it: a 20 x 20 disc stays round and whole.
    const QRegion disc = roundRectRegion(0, 0, 21, 21, 100, 100);
    EXPECT_EQ(disc.boundingRect(), QRect(0, 0, 20, 20));
    for (int y = 0; y < 20; ++y) {
        const auto [left, right] = rowCuts(disc, y, 20);
        EXPECT_EQ(left, right) << y;
        EXPECT_EQ(rowCuts(disc, 19 - y, 20).first, left) << y;
    }
    EXPECT_TRUE(roundRectRegion(5, 5, 5, 9, 4, 4).isEmpty());
}

TEST(RoundRectRegion, NarrowEllipsesStayConvex) {
    // The rasteriser leaves a tall, narrow ellipse before its tip; the tip rows keep the last
    // width instead of spreading to the full width.
    const QRegion region = roundRectRegion(0, 0, 5, 19, 4, 18);
    for (int y = 1; y < 9; ++y)
        EXPECT_GE(rowCuts(region, y - 1, 4).first, rowCuts(region, y, 4).first) << y;
    EXPECT_GT(rowCuts(region, 0, 4).first, 0);
}

TEST(TaskbarRect, APanelAlongOneEdgeReachesTwoPixelsBeyondTheScreen) {
    const QRect screen(0, 0, 1024, 768);
    EXPECT_EQ(taskbarRect(screen, QRect(0, 0, 1024, 738)), (EdgeRect{-2, 738, 1026, 770}));
    EXPECT_EQ(taskbarRect(screen, QRect(0, 24, 1024, 744)), (EdgeRect{-2, -2, 1026, 24}));
    EXPECT_EQ(taskbarRect(screen, QRect(48, 0, 976, 768)), (EdgeRect{-2, -2, 48, 770}));
    EXPECT_EQ(taskbarRect(screen, QRect(0, 0, 1000, 768)), (EdgeRect{1000, -2, 1026, 770}));
}

TEST(TaskbarRect, NoPanelNoScreenAndScreensAwayFromTheOrigin) {
    const QRect screen(0, 0, 1024, 768);
    EXPECT_EQ(taskbarRect(screen, screen), EdgeRect{});
    EXPECT_EQ(taskbarRect(QRect(), QRect()), EdgeRect{});
    EXPECT_EQ(taskbarRect(screen, QRect()), EdgeRect{});
    // A primary screen right of another one: relative to its own corner.
    EXPECT_EQ(taskbarRect(QRect(1920, 0, 1280, 1024), QRect(1920, 0, 1280, 994)),
              (EdgeRect{-2, 994, 1282, 1026}));
    // Panels at the top and the bottom: the bottom one is the task bar.
    EXPECT_EQ(taskbarRect(screen, QRect(0, 24, 1024, 714)), (EdgeRect{-2, 738, 1026, 770}));
}

TEST(DisplayPlatform, WaylandSessionsRunThroughXWaylandUnlessTheUserChose) {
    struct Case {
        const char* platform;
        const char* waylandDisplay;
        const char* sessionType;
        const char* display;
        QByteArray chosen;
    };
    const Case cases[] = {
        {nullptr, "wayland-0", nullptr, ":0", "xcb"},
        {nullptr, nullptr, "wayland", ":0", "xcb"},
        {"wayland", "wayland-0", "wayland", ":0", ""},   // the user's own choice stays
        {nullptr, "wayland-0", "wayland", nullptr, ""},  // no X server to run through
        {nullptr, nullptr, "x11", ":0", ""},             // X11 sessions are left alone
    };
    const char* names[] = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "DISPLAY"};
    std::vector<std::optional<QByteArray>> saved;
    for (const char* name : names)
        saved.push_back(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                        : std::nullopt);
    for (const Case& c : cases) {
        const char* values[] = {c.platform, c.waylandDisplay, c.sessionType, c.display};
        for (int i = 0; i < 4; ++i) {
            if (values[i])
                qputenv(names[i], values[i]);
            else
                qunsetenv(names[i]);
        }
        EXPECT_EQ(chooseDisplayPlatform(), c.chosen) << c.sessionType << " " << c.display;
        EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), c.platform ? QByteArray(c.platform) : c.chosen);
    }
    for (int i = 0; i < 4; ++i) {
        if (saved[std::size_t(i)])
            qputenv(names[i], *saved[std::size_t(i)]);
        else
            qunsetenv(names[i]);
    }
}

TEST(DisplayPlatform, AsksForSocketImageTransferUnlessTheUserChose) {
    const std::optional<QByteArray> saved =
        qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM") ? std::optional(qgetenv("QT_XCB_NO_MITSHM"))
                                                      : std::nullopt;
    qunsetenv("QT_XCB_NO_MITSHM");
    EXPECT_TRUE(preferSocketImageTransfer());
    EXPECT_TRUE(qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"));
    qputenv("QT_XCB_NO_MITSHM", "");  // set, even empty, is the user's word
    EXPECT_FALSE(preferSocketImageTransfer());
    EXPECT_EQ(qgetenv("QT_XCB_NO_MITSHM"), QByteArray());
    if (saved)
        qputenv("QT_XCB_NO_MITSHM", *saved);
    else
        qunsetenv("QT_XCB_NO_MITSHM");
}

}  // namespace
}  // namespace corvina::shell
