#include "saver/config/corner_picture.h"

#include "common/owners.h"
#include "common/picker_draw.h"
#include "saver/config/corner_art.h"

namespace {

// Where the markers sit on the monitor picture: its screen's corners.
const char kAnchors[] = "16 17  169 17  169 130  16 130";

// The menu's items in the order the page offers them, with their codes.
struct Choice {
    const char* text;
    char code;
};
const Choice kChoices[] = {{"Now", 'Y'}, {"Never", 'N'}, {"Default", '-'}};

// The artwork of this program, loaded with the class; the process ends
// with it.
struct CornerArt {
    GdiObject bitmaps[4]; // the monitor, then the markers Default, Now, Never
    PickerArt art;
};
CornerArt gArt;

char* BoundCodes(HWND control)
{
    return reinterpret_cast<char*>(GetWindowLongPtrA(control, GWLP_USERDATA));
}

void MakeCornerArt()
{
    DrawCornerArt(gArt.bitmaps);
    SetPickerArt(gArt.bitmaps, kAnchors, &gArt.art);
}

// The menu at the marker under the point, the current choice checked.
void OfferCorner(HWND control, int x, int y)
{
    char* codes = BoundCodes(control);
    int corner = picker::CornerAt(gArt.art.layout, x, y);
    MenuOwner menu(CreatePopupMenu());
    if (!codes || corner < 0 || !menu)
        return;
    for (int i = 0; i < 3; ++i)
        AppendMenuA(menu.Get(), MF_STRING | (codes[corner] == kChoices[i].code ? MF_CHECKED : 0),
                    static_cast<UINT_PTR>(i + 1), kChoices[i].text);
    POINT at = {x, y};
    ClientToScreen(control, &at);
    int chosen = TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTBUTTON, at.x, at.y,
                                0, control, nullptr);
    if (chosen < 1 || chosen > 3)
        return;
    codes[corner] = kChoices[chosen - 1].code;
    InvalidateRect(control, nullptr, FALSE);
    SendMessageA(GetParent(control), WM_COMMAND, static_cast<WPARAM>(GetDlgCtrlID(control)),
                 reinterpret_cast<LPARAM>(control));
}

void Paint(HWND control)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(control, &ps);
    const char* codes = BoundCodes(control);
    if (dc && codes && gArt.art.monitor)
        PaintPicker(dc, gArt.art, codes, IsWindowEnabled(control) != FALSE);
    EndPaint(control, &ps);
}

LRESULT CALLBACK CornerPictureProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        FitToPicture(control, gArt.art.width, gArt.art.height);
        break;
    case WM_LBUTTONDOWN:
        OfferCorner(control, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_PAINT:
        Paint(control);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(control, message, wParam, lParam);
}

} // namespace

void RegisterCornerPicture()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc;
    if (GetClassInfoA(instance, kCornerPictureClass, &wc))
        return;
    MakeCornerArt();
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = CornerPictureProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
    wc.lpszClassName = kCornerPictureClass;
    RegisterClassA(&wc);
}

void BindCornerPicture(HWND control, char* codes)
{
    SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(codes));
    InvalidateRect(control, nullptr, FALSE);
}
