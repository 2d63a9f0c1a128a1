// The full-screen saver's area and the scene's viewport on it.
#include <gtest/gtest.h>

#include <climits>

#include "saver/framework/screens.h"

namespace {

using scr::ScreenMetrics;
using scr::ScreenRect;

ScreenMetrics Metrics(int monitors, int vx, int vy, int vw, int vh, int w = 1024, int h = 768)
{
    ScreenMetrics m;
    m.monitors = monitors;
    m.virtualLeft = vx;
    m.virtualTop = vy;
    m.virtualWidth = vw;
    m.virtualHeight = vh;
    m.primaryWidth = w;
    m.primaryHeight = h;
    return m;
}

ScreenRect Rect(int left, int top, int width, int height)
{
    ScreenRect r;
    r.left = left;
    r.top = top;
    r.width = width;
    r.height = height;
    return r;
}

void ExpectRect(const ScreenRect& expected, const ScreenRect& actual)
{
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.width, actual.width);
    EXPECT_EQ(expected.height, actual.height);
}

TEST(FullScreenArea, CoversEveryMonitorWhereTheSystemReportsThem)
{
    struct Row {
        const char* what;
        ScreenMetrics metrics;
        ScreenRect area;
    } rows[] = {
        {"Windows 95: neither metric", Metrics(0, 0, 0, 0, 0), Rect(0, 0, 1024, 768)},
        {"one monitor", Metrics(1, 0, 0, 1024, 768), Rect(0, 0, 1024, 768)},
        {"one monitor, a virtual screen reported anyway", Metrics(1, -800, 0, 1824, 768),
         Rect(0, 0, 1024, 768)},
        {"a second monitor to the right", Metrics(2, 0, 0, 2304, 1024), Rect(0, 0, 2304, 1024)},
        {"a second monitor to the left", Metrics(2, -1280, 0, 2304, 1024),
         Rect(-1280, 0, 2304, 1024)},
        {"a monitor above", Metrics(2, 0, -600, 1024, 1368), Rect(0, -600, 1024, 1368)},
        {"three monitors around", Metrics(3, -640, -480, 2688, 1728), Rect(-640, -480, 2688, 1728)},
        {"monitors counted, no virtual size", Metrics(2, 0, 0, 0, 0), Rect(0, 0, 1024, 768)},
        {"a negative virtual size", Metrics(2, 0, 0, -5, 768), Rect(0, 0, 1024, 768)},
        {"a virtual screen short of the primary", Metrics(2, 100, 100, 500, 500),
         Rect(0, 0, 1024, 768)},
        {"a virtual screen beside the primary", Metrics(2, 1024, 0, 800, 600),
         Rect(0, 0, 1824, 768)},
        {"edges beyond int", Metrics(2, INT_MAX - 10, INT_MIN, INT_MAX, INT_MAX),
         Rect(0, 0, 1024, 768)},
        {"a span beyond int", Metrics(2, INT_MIN, 0, INT_MAX, 768), Rect(0, 0, 1024, 768)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ExpectRect(row.area, scr::FullScreenArea(row.metrics));
    }
}

// Every area holds the primary screen: the rings' monitor is never left
// uncovered, whatever the metrics say.
TEST(FullScreenArea, AlwaysHoldsThePrimaryScreen)
{
    const int values[] = {INT_MIN, -1920, -1, 0, 1, 600, 1024, 4096, INT_MAX};
    for (int monitors : {0, 1, 2, 9})
        for (int x : values)
            for (int w : values) {
                ScreenRect a = scr::FullScreenArea(Metrics(monitors, x, x / 2, w, w / 2));
                long long right = static_cast<long long>(a.left) + a.width;
                long long bottom = static_cast<long long>(a.top) + a.height;
                EXPECT_LE(a.left, 0);
                EXPECT_LE(a.top, 0);
                EXPECT_GE(right, 1024) << monitors << " " << x << " " << w;
                EXPECT_GE(bottom, 768) << monitors << " " << x << " " << w;
            }
}

TEST(PrimaryViewport, ShowsTheSceneOnThePrimaryScreenOnly)
{
    struct Row {
        const char* what;
        ScreenRect client;
        ScreenRect viewport; // from the window's lower left
    } rows[] = {
        {"the primary screen alone", Rect(0, 0, 1024, 768), Rect(0, 0, 1024, 768)},
        {"a second monitor to the right", Rect(0, 0, 2304, 1024), Rect(0, 256, 1024, 768)},
        {"a second monitor to the left", Rect(-1280, 0, 2304, 1024), Rect(1280, 256, 1024, 768)},
        {"a monitor above", Rect(0, -600, 1024, 1368), Rect(0, 0, 1024, 768)},
        {"a monitor below", Rect(0, 0, 1024, 1368), Rect(0, 600, 1024, 768)},
        {"a small window on the primary", Rect(102, 76, 256, 192), Rect(0, 0, 256, 192)},
        {"a window across its edge", Rect(900, 700, 256, 192), Rect(0, 124, 124, 68)},
        {"a window off the primary", Rect(1100, 0, 256, 192), Rect(0, 0, 256, 192)},
        {"an empty window", Rect(0, 0, 0, 0), Rect(0, 0, 0, 0)},
        {"a negative size", Rect(0, 0, -4, -4), Rect(0, 0, 0, 0)},
        {"ending left of and above the primary", Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX),
         Rect(0, 0, INT_MAX, INT_MAX)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ExpectRect(row.viewport, scr::PrimaryViewport(row.client, 1024, 768));
    }
}

// The scene keeps the primary screen's size, so its aspect, on any layout.
TEST(PrimaryViewport, KeepsThePrimarysAspectBesideAnyMonitor)
{
    for (int left : {-2560, -1280, 0})
        for (int top : {-1024, 0})
            for (int extra : {0, 640, 1280}) {
                ScreenRect client = Rect(left, top, 1280 - left + extra, 1024 - top + extra / 2);
                ScreenRect v = scr::PrimaryViewport(client, 1280, 1024);
                EXPECT_EQ(1280, v.width) << left << " " << top << " " << extra;
                EXPECT_EQ(1024, v.height) << left << " " << top << " " << extra;
                EXPECT_EQ(-left, v.left);
                EXPECT_EQ(extra / 2, v.top) << "rows below the primary";
            }
}

} // namespace
