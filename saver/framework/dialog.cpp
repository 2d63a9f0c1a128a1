#include "saver/framework/dialog.h"

#include "saver/framework/control.h"
#include "saver/framework/trace.h"

TScrDialog::TScrDialog(TScrMode kind, const char* templateName) : kind_(kind), template_(templateName)
{
}

INT_PTR TScrDialog::ShowModalEx(HWND parent, const POINT* suggestion)
{
    HWND owner = parent;
    while (owner && (GetWindowLongPtrA(owner, GWL_STYLE) & WS_CHILD))
        owner = GetParent(owner);
    hasSuggestion_ = suggestion != nullptr;
    if (suggestion)
        suggestion_ = *suggestion;
    if (gScrControl && gScrControl->ApplicationWindow())
        ShowWindow(gScrControl->ApplicationWindow(), SW_HIDE);
    bool disabled = owner && IsWindowEnabled(owner);
    if (disabled)
        EnableWindow(owner, FALSE);
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), template_, owner, &DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    if (disabled) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
    if (result == IDOK)
        SaveValues();
    else if (result == IDCANCEL && kind_ == smCActive)
        ReloadValues();
    ScrDebug(tlUsr, "TScrDialog: ended with %ld", static_cast<long>(result));
    return result;
}

INT_PTR CALLBACK TScrDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<TScrDialog*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
        dialog->window_ = window;
        dialog->Initialise();
        return TRUE;
    }
    auto* dialog = reinterpret_cast<TScrDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!dialog)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return dialog->Command(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_SYSCOMMAND:
        if (wParam == kScrAboutCommand) {
            dialog->ShowAbout();
            return TRUE;
        }
        break;
    case WM_NCACTIVATE:
        if (wParam == 0 && dialog->RefuseDeactivation(reinterpret_cast<HWND>(lParam))) {
            SetWindowLongPtrA(window, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        break;
    case WM_DESTROY:
        dialog->window_ = nullptr;
        break;
    default:
        break;
    }
    return dialog->HandleMessage(message, wParam, lParam);
}

void TScrDialog::Initialise()
{
    if ((kind_ == smCRegular || kind_ == smCActive) && gScrControl &&
        gScrControl->HasOption(scoAboutMenuItem))
        AddAboutItem();
    Place();
    InitDialog();
}

void TScrDialog::AddAboutItem()
{
    HMENU menu = GetSystemMenu(window_, FALSE);
    if (menu) {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, kScrAboutCommand, "&About...");
    }
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    if (icon) {
        SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
}

void TScrDialog::Place()
{
    if (!hasSuggestion_)
        return;
    RECT r;
    GetWindowRect(window_, &r);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int x = suggestion_.x - width / 2;
    int y = suggestion_.y - height / 2;
    // Keep the whole dialog on the work area.
    x = x + width > work.right ? work.right - width : x;
    y = y + height > work.bottom ? work.bottom - height : y;
    x = x < work.left ? work.left : x;
    y = y < work.top ? work.top : y;
    SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TScrDialog::RefuseDeactivation(HWND activated) const
{
    if (gScrMode != smSFull || !activated)
        return false;
    DWORD processId = 0;
    GetWindowThreadProcessId(activated, &processId);
    return processId != GetCurrentProcessId();
}

bool TScrDialog::Command(WORD id, WORD)
{
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(window_, id);
        return true;
    }
    return false;
}

INT_PTR TScrDialog::HandleMessage(UINT, WPARAM, LPARAM)
{
    return FALSE;
}

void TScrDialog::ShowAbout()
{
    MessageBoxA(window_, "Orbelle screen saver\r\nBuilt on the Glimmex screen-saver kit.",
                "About Orbelle", MB_OK | MB_ICONINFORMATION);
}
