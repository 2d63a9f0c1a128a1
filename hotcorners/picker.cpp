// The corner picker. Its resources are per process; the codes are in each
// control's style, so a control needs no record of its own. A change made by
// the user reaches the parent as WM_COMMAND with the control's id.
#include "hotcorners/picker.h"

#include "common/owners.h"
#include "common/picker_draw.h"
#include "hotcorners/quadrix.h"
#include "hotcorners/resource.h"

namespace {

constexpr int kMenuTextSize = 100;
constexpr int kAnchorTextSize = 100;

struct PickerResources {
    bool loaded = false;
    MenuOwner menus[picker::kCorners];
    GdiObject bitmaps[4]; // the monitor, then the markers Default, Now, Never
    PickerArt art;        // views of the bitmaps, with their sizes and layout
};
PickerResources gPicker;

// Items "Default", "Now", "Never" with the corner in the high byte of their ids.
HMENU MakeCornerMenu(int corner)
{
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return nullptr;
    const int texts[] = {IDS_CORNER_DEFAULT, IDS_CORNER_NOW, IDS_CORNER_NEVER};
    for (int index = 0; index < 3; ++index) {
        char text[kMenuTextSize];
        if (LoadStringA(gModule, texts[index], text, sizeof text) > 0)
            AppendMenuA(menu, MF_STRING, picker::MenuCommand(corner, index), text);
    }
    return menu;
}

LRESULT CALLBACK MonitorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void RegisterMonitorClass()
{
    WNDCLASSA wc;
    if (GetClassInfoA(gModule, kMonitorClass, &wc))
        return;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = MonitorProc;
    wc.hInstance = gModule;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
    wc.lpszClassName = kMonitorClass;
    RegisterClassA(&wc);
}

// The menu of the marker under the point, the current code checked.
void OfferCorner(HWND window, int x, int y)
{
    int corner = picker::CornerAt(gPicker.art.layout, x, y);
    if (corner < 0 || !gPicker.menus[corner])
        return;
    HMENU menu = gPicker.menus[corner].Get();
    char codes[picker::kCorners];
    GetCorners(window, codes);
    int checked = picker::CodeIndex(codes[corner]);
    CheckMenuItem(menu, static_cast<UINT>(checked), MF_BYPOSITION | MF_CHECKED);
    POINT at = {x, y};
    ClientToScreen(window, &at);
    TrackPopupMenu(menu, 0, at.x, at.y, 0, window, nullptr);
    CheckMenuItem(menu, static_cast<UINT>(checked), MF_BYPOSITION | MF_UNCHECKED);
}

void ChooseCode(HWND window, unsigned id)
{
    int corner = 0, index = 0;
    if (!picker::DecodeCommand(id, &corner, &index))
        return;
    LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    std::uint32_t bits = picker::StyleWithCorner(static_cast<std::uint32_t>(style), corner,
                                                 picker::CodeAt(index));
    SetWindowLongPtrA(window, GWL_STYLE, (style & ~LONG_PTR(0xFFFF)) | (bits & 0xFFFF));
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    SendMessageA(GetParent(window), WM_COMMAND, static_cast<WPARAM>(GetDlgCtrlID(window)),
                 reinterpret_cast<LPARAM>(window));
}

void Paint(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc && gPicker.loaded) {
        char codes[picker::kCorners];
        GetCorners(window, codes);
        PaintPicker(dc, gPicker.art, codes, IsWindowEnabled(window) != FALSE);
    }
    EndPaint(window, &ps);
}

LRESULT CALLBACK MonitorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        FitToPicture(window, gPicker.art.width, gPicker.art.height);
        break;
    case WM_ENABLE:
        InvalidateRect(window, nullptr, FALSE);
        break;
    case WM_LBUTTONDOWN:
        OfferCorner(window, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        break;
    case WM_COMMAND:
        ChooseCode(window, LOWORD(wParam));
        break;
    case WM_PAINT:
        Paint(window);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

void LoadPickerResources()
{
    if (gPicker.loaded)
        return;
    RegisterMonitorClass();
    for (int corner = 0; corner < picker::kCorners; ++corner)
        gPicker.menus[corner].Reset(MakeCornerMenu(corner));
    const int ids[] = {IDB_MONITOR, IDB_MARKER_DEFAULT, IDB_MARKER_NOW, IDB_MARKER_NEVER};
    char anchors[kAnchorTextSize] = "";
    LoadStringA(gModule, IDS_MARKER_ANCHORS, anchors, sizeof anchors);
    LoadPickerArt(gModule, ids, gPicker.bitmaps, anchors, &gPicker.art);
    gPicker.loaded = true;
}

void FreePickerResources()
{
    if (!gPicker.loaded)
        return;
    for (MenuOwner& menu : gPicker.menus)
        menu.Reset();
    for (GdiObject& bitmap : gPicker.bitmaps)
        bitmap.Reset();
    gPicker.art = PickerArt();
    gPicker.loaded = false;
}

void SetCorners(HWND control, const char codes[4])
{
    LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
    std::uint32_t bits = picker::StyleWithCorners(static_cast<std::uint32_t>(style), codes);
    SetWindowLongPtrA(control, GWL_STYLE, (style & ~LONG_PTR(0xFFFF)) | (bits & 0xFFFF));
    InvalidateRect(control, nullptr, FALSE);
}

void GetCorners(HWND control, char codes[4])
{
    picker::CornersFromStyle(static_cast<std::uint32_t>(GetWindowLongPtrA(control, GWL_STYLE)), codes);
}
