#include "saver/config/corner_art.h"

namespace {

constexpr int kMonitorWidth = 184, kMonitorHeight = 170; // the picture; the mask beside it
constexpr int kMarkerWidth = 24, kMarkerHeight = 22;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour)
{
    RECT box = {left, top, right, bottom};
    GdiObject brush(CreateSolidBrush(colour));
    FillRect(dc, &box, static_cast<HBRUSH>(brush.Get()));
}

// A box with round corners of radius, right and bottom included.
void RoundBox(HDC dc, int left, int top, int right, int bottom, int radius, COLORREF colour)
{
    GdiObject brush(CreateSolidBrush(colour));
    GdiObject pen(CreatePen(PS_SOLID, 1, colour));
    SelectedObject withBrush(dc, brush.Get());
    SelectedObject withPen(dc, pen.Get());
    RoundRect(dc, left, top, right + 1, bottom + 1, 2 * radius, 2 * radius);
}

COLORREF Scaled(COLORREF colour, double factor)
{
    auto part = [factor](int value) { return value * factor > 255 ? 255 : static_cast<int>(value * factor); };
    return RGB(part(GetRValue(colour)), part(GetGValue(colour)), part(GetBValue(colour)));
}

// A round-cornered box lit from above: each row a little darker than the
// one before, from factor top to factor bottom of colour.
void LitRoundBox(HDC dc, int left, int top, int right, int bottom, int radius, COLORREF colour,
                 double topFactor, double bottomFactor)
{
    GdiObject region(CreateRoundRectRgn(left, top, right + 1, bottom + 1, 2 * radius, 2 * radius));
    SelectClipRgn(dc, static_cast<HRGN>(region.Get()));
    for (int y = top; y <= bottom; ++y) {
        double t = static_cast<double>(y - top) / (bottom - top);
        Fill(dc, left, y, right + 1, y + 1, Scaled(colour, topFactor + (bottomFactor - topFactor) * t));
    }
    SelectClipRgn(dc, nullptr);
}

// The monitor's picture in the left half (black around it) and its mask in
// the right half (white around it, black under it), as the control blends
// them over what lies beneath.
void DrawMonitor(HDC dc)
{
    Fill(dc, 0, 0, kMonitorWidth, kMonitorHeight, kBlack);
    Fill(dc, kMonitorWidth, 0, 2 * kMonitorWidth, kMonitorHeight, kWhite);
    for (int x : {kMonitorWidth, 0}) {
        bool mask = x != 0;
        RoundBox(dc, x + 56, 155, x + 128, 168, 4, mask ? kBlack : RGB(133, 133, 143)); // foot
        Fill(dc, x + 80, 142, x + 105, 159, mask ? kBlack : RGB(145, 145, 150));         // neck
        RoundBox(dc, x + 4, 5, x + 181, 145, 7, mask ? kBlack : RGB(128, 128, 140));    // rim
    }
    LitRoundBox(dc, 6, 7, 179, 143, 6, RGB(219, 219, 227), 1.0, 0.84); // case
    Fill(dc, 13, 14, 173, 134, RGB(77, 77, 87));                      // bezel
    RoundBox(dc, 162, 136, 166, 140, 2, RGB(51, 217, 77));            // power light
}

enum class Sign { Dash, Play, NoEntry };

void DrawSign(HDC dc, Sign sign)
{
    GdiObject pen(CreatePen(PS_SOLID, sign == Sign::NoEntry ? 2 : 1, kWhite));
    SelectedObject withPen(dc, pen.Get());
    SelectedObject withBrush(dc, GetStockObject(sign == Sign::NoEntry ? NULL_BRUSH : WHITE_BRUSH));
    switch (sign) {
    case Sign::Dash:
        Fill(dc, 6, 10, 18, 13, kWhite);
        break;
    case Sign::Play: {
        const POINT corners[] = {{8, 6}, {17, 11}, {8, 16}};
        Polygon(dc, corners, 3);
        break;
    }
    case Sign::NoEntry:
        Ellipse(dc, 6, 5, 19, 18);
        MoveToEx(dc, 16, 7, nullptr);
        LineTo(dc, 8, 15);
        break;
    }
}

// A tile in fill colour with a dark rim and a white sign, on the desktop's
// colour where the monitor's screen shows it.
void DrawMarker(HDC dc, COLORREF fill, Sign sign)
{
    Fill(dc, 0, 0, kMarkerWidth, kMarkerHeight, GetSysColor(COLOR_BACKGROUND));
    RoundBox(dc, 1, 1, 22, 20, 4, RGB(38, 38, 38));
    LitRoundBox(dc, 2, 2, 21, 19, 3, fill, 1.1, 0.8);
    DrawSign(dc, sign);
}

// A bitmap like the screen's of width by height, drawn by draw(dc).
template <typename Draw>
GdiObject DrawBitmap(int width, int height, Draw draw)
{
    WindowDc screen(nullptr);
    MemoryDc dc(screen ? CreateCompatibleDC(screen.Get()) : nullptr);
    GdiObject bitmap(screen ? CreateCompatibleBitmap(screen.Get(), width, height) : nullptr);
    if (!dc || !bitmap)
        return GdiObject();
    SelectedObject selected(dc.Get(), bitmap.Get());
    draw(dc.Get());
    return bitmap;
}

} // namespace

bool DrawCornerArt(GdiObject bitmaps[4])
{
    bitmaps[0] = DrawBitmap(2 * kMonitorWidth, kMonitorHeight, DrawMonitor);
    const COLORREF fills[] = {RGB(158, 158, 168), RGB(38, 158, 64), RGB(204, 41, 36)};
    const Sign signs[] = {Sign::Dash, Sign::Play, Sign::NoEntry};
    for (int i = 0; i < 3; ++i)
        bitmaps[i + 1] = DrawBitmap(kMarkerWidth, kMarkerHeight,
                                    [&](HDC dc) { DrawMarker(dc, fills[i], signs[i]); });
    return bitmaps[0] && bitmaps[1] && bitmaps[2] && bitmaps[3];
}
