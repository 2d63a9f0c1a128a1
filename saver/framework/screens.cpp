#include "saver/framework/screens.h"

#include <algorithm>
#include <climits>

namespace scr {
namespace {

// Sums in 64 bits, clamped back into an int: the metrics come from the
// system, and a hostile or broken driver may report anything.
int Clamp(long long value)
{
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, value)));
}

long long Right(const ScreenRect& r)
{
    return static_cast<long long>(r.left) + r.width;
}

long long Bottom(const ScreenRect& r)
{
    return static_cast<long long>(r.top) + r.height;
}

ScreenRect FromEdges(long long left, long long top, long long right, long long bottom)
{
    ScreenRect r;
    r.left = Clamp(left);
    r.top = Clamp(top);
    r.width = Clamp(right - left);
    r.height = Clamp(bottom - top);
    return r;
}

} // namespace

ScreenRect FullScreenArea(const ScreenMetrics& m)
{
    ScreenRect primary;
    primary.width = std::max(0, m.primaryWidth);
    primary.height = std::max(0, m.primaryHeight);
    if (m.monitors <= 1 || m.virtualWidth <= 0 || m.virtualHeight <= 0)
        return primary;
    ScreenRect virtualScreen;
    virtualScreen.left = m.virtualLeft;
    virtualScreen.top = m.virtualTop;
    virtualScreen.width = m.virtualWidth;
    virtualScreen.height = m.virtualHeight;
    // The virtual screen holds the primary one; should a system say
    // otherwise, the saver still covers both.
    long long left = std::min<long long>(virtualScreen.left, 0);
    long long top = std::min<long long>(virtualScreen.top, 0);
    long long right = std::max(Right(virtualScreen), Right(primary));
    long long bottom = std::max(Bottom(virtualScreen), Bottom(primary));
    // A span no window can have is a broken report: the primary screen.
    if (right - left > INT_MAX || bottom - top > INT_MAX)
        return primary;
    return FromEdges(left, top, right, bottom);
}

ScreenRect PrimaryViewport(const ScreenRect& client, int primaryWidth, int primaryHeight)
{
    ScreenRect whole;
    whole.width = std::max(0, client.width);
    whole.height = std::max(0, client.height);
    long long left = std::max<long long>(client.left, 0);
    long long top = std::max<long long>(client.top, 0);
    long long right = std::min<long long>(Right(client), std::max(0, primaryWidth));
    long long bottom = std::min<long long>(Bottom(client), std::max(0, primaryHeight));
    if (right <= left || bottom <= top)
        return whole;
    // OpenGL counts rows from the bottom of the window.
    return FromEdges(left - client.left, Bottom(client) - bottom, right - client.left,
                     Bottom(client) - top);
}

} // namespace scr
