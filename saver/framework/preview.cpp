#include "saver/framework/preview.h"

#include "saver/framework/control.h"
#include "saver/framework/form.h"
#include "saver/framework/trace.h"

namespace {

const char kPreviewClass[] = "TScrPreview";
const char kDefaultClass[] = "ScrDefaultPreviewWindowClass";
const char kEndsRunProp[] = "ScrDefaultPreviewEndsRun";

LRESULT CALLBACK DefaultPreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT r;
        GetClientRect(window, &r);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
        if (icon)
            DrawIcon(dc, (r.right - GetSystemMetrics(SM_CXICON)) / 2,
                     (r.bottom - GetSystemMetrics(SM_CYICON)) / 2, icon);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_DESTROY:
        if (RemovePropA(window, kEndsRunProp) && gScrControl)
            gScrControl->Terminate();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void RegisterOnce(const char* name, WNDPROC proc, HBRUSH brush)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(instance, name, &wc))
        return;
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = brush;
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
}

} // namespace

HWND CreateDefaultPreviewWindow(HWND parent, bool endsRun)
{
    RegisterOnce(kDefaultClass, &DefaultPreviewProc, nullptr);
    RECT r;
    GetClientRect(parent, &r);
    HWND window = CreateWindowExA(0, kDefaultClass, "Preview", WS_CHILD | WS_VISIBLE, 0, 0,
                                  r.right, r.bottom, parent, nullptr, GetModuleHandleA(nullptr),
                                  nullptr);
    if (window && endsRun)
        SetPropA(window, kEndsRunProp, reinterpret_cast<HANDLE>(1));
    return window;
}

TScrPreview::~TScrPreview()
{
    form_.reset();
    if (window_)
        DestroyWindow(window_);
}

bool TScrPreview::Create(HWND parent, int x, int y, int width, int height)
{
    RegisterOnce(kPreviewClass, &WndProc, nullptr);
    window_ = CreateWindowExA(0, kPreviewClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y,
                              width, height, parent, nullptr, GetModuleHandleA(nullptr), this);
    if (window_ && AutoPreview)
        CreatePreview();
    return window_ != nullptr;
}

void TScrPreview::SetPreviewPresent(bool present)
{
    if (present && !PreviewPresent())
        CreatePreview();
    else if (!present && PreviewPresent())
        RemovePreview();
}

void TScrPreview::CreatePreview()
{
    if (!window_ || PreviewPresent())
        return;
    if (AutoPreview && (gScrSaver || gScrMode == smSFull)) {
        defaultWindow_ = CreateDefaultPreviewWindow(window_, false);
        return;
    }
    if (gScrControl)
        form_ = gScrControl->CreateConfigPreview(window_);
}

void TScrPreview::RemovePreview()
{
    HWND child = window_ ? GetWindow(window_, GW_CHILD) : nullptr;
    if (child)
        SendMessageA(child, WM_CLOSE, 0, 0);
    form_.reset();
    if (defaultWindow_ && IsWindow(defaultWindow_))
        DestroyWindow(defaultWindow_);
    defaultWindow_ = nullptr;
}

void TScrPreview::Paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    RECT r;
    GetClientRect(window_, &r);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DKGRAY_BRUSH));
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    EndPaint(window_, &ps);
}

LRESULT CALLBACK TScrPreview::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* preview = reinterpret_cast<TScrPreview*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (preview && message == WM_PAINT) {
        preview->Paint();
        return 0;
    }
    if (preview && message == WM_NCDESTROY)
        preview->window_ = nullptr;
    return DefWindowProcA(window, message, wParam, lParam);
}
