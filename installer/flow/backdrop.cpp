#include "common/owners.h"
#include "installer/flow/flow.h"
#include "installer/flow/gradient.h"
#include "installer/resource.h"

ATOM RegisterInstallClass()
{
    WNDCLASSEXA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = BackdropWindowProc;
    windowClass.hInstance = gInstance;
    // No cursor: the flow's wait cursor stays over the backdrop. No brush:
    // WM_PAINT draws every pixel, so erasing would only flicker.
    windowClass.lpszClassName = kInstallClassName;
    return RegisterClassExA(&windowClass);
}

static void PaintBackdrop(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    for (int i = 0; i < kBackdropBands; ++i) {
        BackdropBand band = BackdropBandAt(i, client.right, client.bottom);
        RECT rect = {band.left, band.top, band.right, band.bottom};
        GdiObject brush(CreateSolidBrush(RGB(band.red, band.green, band.blue)));
        FillRect(dc, &rect, static_cast<HBRUSH>(brush.Get()));
    }
    EndPaint(window, &paint);
}

LRESULT CALLBACK BackdropWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        PaintBackdrop(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static INT_PTR PrelimResult(HWND dialog, int id)
{
    if (id == IDOK && GetDlgItem(dialog, IDC_INSTALL_QUADRIX) &&
        IsDlgButtonChecked(dialog, IDC_INSTALL_QUADRIX))
        return kPrelimInstallWithQuadrix;
    return id;
}

// Windows Vista dropped the Display Properties dialog's extension pages:
// there Quadrix is configured from its task-bar icon.
static void TellWhereQuadrixIsConfigured(HWND dialog)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT ||
        version.dwMajorVersion < 6)
        return;
    SetDlgItemTextA(dialog, IDC_QUADRIX_TEXT,
                    "Also in this package is Quadrix. This turns the corners of your screen into "
                    "mouse 'hot corners' that can start the saver immediately, or prevent it from "
                    "running. Configure it from its icon in the task bar.");
}

INT_PTR CALLBACK PrelimDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        CheckDlgButton(dialog, IDC_INSTALL_QUADRIX, BST_CHECKED);
        TellWhereQuadrixIsConfigured(dialog);
        return TRUE; // the focus goes to "&Install", the first control
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id == IDOK || id == IDCANCEL)
            EndDialog(dialog, PrelimResult(dialog, id));
        return TRUE;
    }
    }
    return FALSE;
}
