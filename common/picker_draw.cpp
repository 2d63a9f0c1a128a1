#include "common/picker_draw.h"

#include "common/owners.h"

namespace {

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info;
    SIZE size = {0, 0};
    if (bitmap && GetObjectA(bitmap, sizeof info, &info) == sizeof info) {
        size.cx = info.bmWidth;
        size.cy = info.bmHeight;
    }
    return size;
}

// Copies from bitmap at (sourceX, 0) with the raster operation.
void Blit(HDC target, int x, int y, int width, int height, HDC scratch, HBITMAP bitmap, int sourceX,
          DWORD operation)
{
    SelectedObject selected(scratch, bitmap);
    BitBlt(target, x, y, width, height, scratch, sourceX, 0, operation);
}

void DrawMonitor(HDC canvas, HDC scratch, const PickerArt& art)
{
    Blit(canvas, 0, 0, art.width, art.height, scratch, art.monitor, art.width, SRCAND);
    Blit(canvas, 0, 0, art.width, art.height, scratch, art.monitor, 0, SRCINVERT);
    const picker::Box& s = art.layout.screen;
    RECT screen = {s.left, s.top, s.right, s.bottom};
    FillRect(canvas, &screen, GetSysColorBrush(COLOR_BACKGROUND));
}

void Checker(HDC canvas, const picker::Box& box, int width, int height)
{
    COLORREF desktop = GetSysColor(COLOR_BACKGROUND);
    for (int row = 0; row < height; ++row)
        for (int column = row % 2; column < width; column += 2)
            SetPixel(canvas, box.left + column, box.top + row, desktop);
}

void DrawMarkers(HDC canvas, HDC scratch, const PickerArt& art, const char codes[picker::kCorners],
                 bool enabled)
{
    for (int corner = 0; corner < picker::kCorners; ++corner) {
        int index = picker::CodeIndex(codes[corner]);
        HBITMAP marker = art.markers[index < 0 ? 0 : index];
        const picker::Box& box = art.layout.markers[corner];
        Blit(canvas, box.left, box.top, art.markerWidth, art.markerHeight, scratch, marker, 0, SRCCOPY);
        if (!enabled)
            Checker(canvas, box, art.markerWidth, art.markerHeight);
    }
}

} // namespace

bool LoadPickerArt(HINSTANCE instance, const int ids[4], GdiObject bitmaps[4], const char* anchors,
                   PickerArt* art)
{
    for (int i = 0; i < 4; ++i)
        bitmaps[i].Reset(LoadImageA(instance, MAKEINTRESOURCEA(ids[i]), IMAGE_BITMAP, 0, 0, 0));
    return SetPickerArt(bitmaps, anchors, art);
}

bool SetPickerArt(const GdiObject bitmaps[4], const char* anchors, PickerArt* art)
{
    HBITMAP given[4];
    for (int i = 0; i < 4; ++i)
        given[i] = static_cast<HBITMAP>(bitmaps[i].Get());
    *art = PickerArt();
    art->monitor = given[0];
    for (int i = 0; i < 3; ++i)
        art->markers[i] = given[i + 1];
    SIZE monitor = BitmapSize(art->monitor);
    SIZE marker = BitmapSize(art->markers[0]);
    art->width = monitor.cx / 2;
    art->height = monitor.cy;
    art->markerWidth = marker.cx;
    art->markerHeight = marker.cy;
    picker::LayoutFromAnchors(anchors, marker.cx, marker.cy, &art->layout);
    return given[0] && given[1] && given[2] && given[3];
}

void PaintPicker(HDC target, const PickerArt& art, const char codes[picker::kCorners],
                 bool enabled)
{
    MemoryDc canvas(CreateCompatibleDC(target));
    MemoryDc scratch(CreateCompatibleDC(target));
    GdiObject bitmap(CreateCompatibleBitmap(target, art.width, art.height));
    if (!canvas || !scratch || !bitmap)
        return;
    SelectedObject selected(canvas.Get(), bitmap.Get());
    // What lies under the control shows through the monitor's surround.
    BitBlt(canvas.Get(), 0, 0, art.width, art.height, target, 0, 0, SRCCOPY);
    DrawMonitor(canvas.Get(), scratch.Get(), art);
    DrawMarkers(canvas.Get(), scratch.Get(), art, codes, enabled);
    BitBlt(target, 0, 0, art.width, art.height, canvas.Get(), 0, 0, SRCCOPY);
}

void FitToPicture(HWND control, int width, int height)
{
    RECT r;
    GetWindowRect(control, &r);
    if (r.right - r.left == width && r.bottom - r.top == height)
        return;
    POINT centre = {r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2};
    HWND parent = GetParent(control);
    if (parent)
        ScreenToClient(parent, &centre);
    SetWindowPos(control, nullptr, centre.x - width / 2, centre.y - height / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}
