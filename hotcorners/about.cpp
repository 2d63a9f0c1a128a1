// The About box (template 114): one at a time across processes, through the
// shared about-window slot.
#include "hotcorners/mutexes.h"
#include "hotcorners/quadrix.h"
#include "hotcorners/settings.h"
#include "hotcorners/shared_block.h"

namespace {

// The box is on the notify list while it lives; DWLP_USER marks that.
INT_PTR InitAbout(HWND box)
{
    SetForegroundWindow(box);
    // ShowAboutDialog holds the dialog-window mutex for us.
    SetAboutWindowSlot(box);
    ReleaseDialogWindowMutex();
    AddNotify(box);
    SetWindowLongPtrA(box, DWLP_USER, 1);
    return TRUE;
}

INT_PTR DestroyAbout(HWND box)
{
    if (GetWindowLongPtrA(box, DWLP_USER))
        RemoveNotify(box);
    SetWindowLongPtrA(box, DWLP_USER, 0);
    if (GetDialogWindowMutex()) {
        if (GetAboutWindowSlot() == box)
            SetAboutWindowSlot(nullptr);
        ReleaseDialogWindowMutex();
    }
    return TRUE;
}

} // namespace

INT_PTR CALLBACK AboutDialogProc(HWND box, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return InitAbout(box);
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(box, 1);
        return TRUE;
    case WM_HOTCORNERS:
        return TRUE;
    case WM_DESTROY:
        return DestroyAbout(box);
    default:
        return FALSE;
    }
}
