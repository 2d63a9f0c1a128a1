#include "saver/framework/form.h"

#include "common/owners.h"
#include "saver/framework/control.h"
#include "saver/framework/msgnames.h"
#include "saver/framework/trace.h"

namespace {

const char kWatchProcProp[] = "ScrChildWatchWndproc";
const char kWatchRootProp[] = "ScrChildWatchRoot";
const char kScreenSaversKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
const DWORD kDisplayChangeGraceMs = 3000;
const int kDisplayChangeSwallow = 4;
const int kActionClose = 1;
const int kActionConfig = 2;

DWORD TextToDword(const char* text)
{
    DWORD value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10 + static_cast<DWORD>(*text - '0');
    return value;
}

DWORD ReadDword(HKEY root, const char* key, const char* name, DWORD fallback)
{
    RegKey opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, opened.Receive()) != ERROR_SUCCESS) {
        opened.Release(); // not promised to be set on failure
        return fallback;
    }
    DWORD type = 0;
    BYTE data[32] = {};
    DWORD size = sizeof data - 1;
    DWORD value = fallback;
    if (RegQueryValueExA(opened.Get(), name, nullptr, &type, data, &size) == ERROR_SUCCESS) {
        if (type == REG_DWORD && size == sizeof(DWORD))
            CopyMemory(&value, data, sizeof value);
        else if (type == REG_SZ) // the NT family stores some of these as text
            value = TextToDword(reinterpret_cast<char*>(data));
    }
    return value;
}

TScrFamilyCheck gFamilyCheck = nullptr;

bool SystemIsNTFamily()
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&version))
        return true;
#pragma GCC diagnostic pop
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool IsNTFamily()
{
    return gFamilyCheck ? gFamilyCheck() : SystemIsNTFamily();
}

bool IsButtonDown(UINT message)
{
    return message == WM_LBUTTONDOWN || message == WM_MBUTTONDOWN || message == WM_RBUTTONDOWN;
}

bool RunsScrAction(UINT message)
{
    return message == WM_ACTIVATE || message == WM_ACTIVATEAPP || message == WM_NCACTIVATE ||
           IsButtonDown(message) || message == WM_MOUSEMOVE || message == WM_KEYDOWN ||
           message == WM_SYSCOMMAND || message == WM_CLOSE || message == WM_SETCURSOR;
}

} // namespace

void ScrSetFamilyCheck(TScrFamilyCheck check)
{
    gFamilyCheck = check;
}

const char* ScrMessageName(UINT message)
{
    return MessageName(message);
}

TScrForm::TScrForm(TScrMode kind) : kind_(kind)
{
}

TScrForm::~TScrForm()
{
    if (window_) {
        HWND window = window_;
        DestroyWindow(window);
    }
    if (gScrSaver == this)
        gScrSaver = nullptr;
}

bool TScrForm::Create(HWND parent, int x, int y, int width, int height, DWORD style, DWORD exStyle)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(instance, ClassName(), &wc)) {
        wc.cbSize = sizeof wc;
        // CS_OWNDC: the OpenGL context keeps one device context for life.
        wc.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = &WndProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = ClassName();
        if (!RegisterClassExA(&wc))
            return false;
    }
    CreateWindowExA(exStyle, ClassName(), "Orbelle", style, x, y, width, height, parent, nullptr,
                    instance, this);
    return window_ != nullptr;
}

LRESULT CALLBACK TScrForm::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* form = static_cast<TScrForm*>(create->lpCreateParams);
        form->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<TScrForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!form)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        LRESULT result = DefWindowProcA(window, message, wParam, lParam);
        form->window_ = nullptr;
        return result;
    }
    return form->Dispatch(message, wParam, lParam);
}

LRESULT TScrForm::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    ScrDebug(tlAll, "TScrForm %p: %s", static_cast<void*>(window_), ScrMessageName(message));
    ++depth_;
    LRESULT result = 0;
    if (!ApplyRules(message, wParam, lParam, &result)) {
        if (CommonWndProc(message, wParam, lParam))
            result = HandleMessage(message, wParam, lParam);
        else
            result = message == WM_SETCURSOR ? TRUE : 0;
    }
    --depth_;
    if (RunsScrAction(message))
        DoScrAction();
    if (message == WM_DESTROY)
        Destroyed();
    return result;
}

// The rules that come before everything else. True: the message is answered
// with *result and goes no further.
bool TScrForm::ApplyRules(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool fullRun = IsFullScreen() && gScrControl && gScrControl->DebugLevel != dlCompact;
    switch (message) {
    case WM_CREATE:
        RecordStart();
        ReadSharedValues();
        scrMessage_ = RegisterWindowMessageA("Glimmex_msg");
        return false;
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
        if (LOWORD(wParam) == 0 && fullRun && !inDialog_)
            pendingAction_ = kActionClose;
        return false;
    case WM_NCACTIVATE:
        if (fullRun && wParam == 0 && !inDialog_) {
            *result = 0; // keep looking active
            return true;
        }
        return false;
    case WM_CLOSE:
        if (IsFullScreen()) {
            *result = 0; // closed only through its own close action
            return true;
        }
        return false;
    case WM_SYSCOMMAND:
        *result = 0;
        return IsFullScreen() && SysCommandRule(wParam);
    case WM_PARENTNOTIFY:
        ParentNotifyCheck(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        return false;
    case WM_DISPLAYCHANGE:
        ignoreUntil_ = GetTickCount() + kDisplayChangeGraceMs;
        swallow_ = kDisplayChangeSwallow;
        ScrDebug(tlUsr, "TScrForm: display changed; mouse ignored for a while");
        return false;
    default:
        break;
    }
    if (scrMessage_ && message == scrMessage_) {
        PerformAction(static_cast<int>(wParam));
        *result = 0;
        return true;
    }
    return false;
}

// True when the system command is the saver's own business (swallowed).
bool TScrForm::SysCommandRule(WPARAM command)
{
    switch (command & 0xFFF0) {
    case SC_SCREENSAVE:
        // Another saver must not start over this one.
        ScrDebug(tlUsr, "TScrForm: SC_SCREENSAVE ignored while running");
        return true;
    case SC_CLOSE:
        pendingAction_ = kActionClose;
        return true;
    default:
        return false;
    }
}

void TScrForm::PerformAction(int action)
{
    if (action == kActionClose) {
        Close();
        return;
    }
    if (action != kActionConfig)
        return;
    bool allowed = true;
    if (gScrControl && gScrControl->HasOption(scoCheckActivePassword) && TestRequirePassword())
        allowed = VerifyPassword();
    if (allowed)
        ActiveConfig(actionAt_.x, actionAt_.y, false);
}

bool TScrForm::RunsInput() const
{
    return IsFullScreen() && !inDialog_ && gScrControl && gScrControl->HasOption(scoHandleInput);
}

bool TScrForm::CommonWndProc(UINT message, WPARAM, LPARAM lParam)
{
    // The cursor rule holds whether input is handled or not.
    if (message == WM_SETCURSOR && IsFullScreen() && !inDialog_ && LOWORD(lParam) == HTCLIENT) {
        SetCursor(nullptr);
        return false;
    }
    if (!RunsInput())
        return true;
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
        pendingAction_ = kActionClose;
        break;
    case WM_RBUTTONDOWN:
        HandleRightButton(lParam);
        break;
    case WM_MOUSEMOVE:
        HandleMouseMove();
        break;
    case WM_KEYDOWN:
        pendingAction_ = kActionClose;
        break;
    default:
        break;
    }
    return true;
}

void TScrForm::HandleRightButton(LPARAM)
{
    // No active-configuration form exists in this program: the right
    // button closes like the others.
    pendingAction_ = kActionClose;
}

void TScrForm::HandleMouseMove()
{
    // Signed difference: the tick count wraps after 49.7 days.
    if (static_cast<LONG>(GetTickCount() - ignoreUntil_) <= 0)
        return;
    if (swallow_ > 0) {
        --swallow_;
        return;
    }
    POINT cursor;
    GetCursorPos(&cursor);
    long long dx = cursor.x - start_.x;
    long long dy = cursor.y - start_.y;
    long long threshold = mouseThreshold_;
    if (dx * dx + dy * dy > threshold * threshold) {
        ScrDebug(tlUsr, "TScrForm: mouse moved %lld,%lld beyond %lld", dx, dy, threshold);
        pendingAction_ = kActionClose;
    }
}

void TScrForm::DoScrAction()
{
    if (!pendingAction_ || depth_ > 0 || !window_)
        return;
    PostMessageA(window_, scrMessage_, static_cast<WPARAM>(pendingAction_), 0);
    pendingAction_ = 0;
}

void TScrForm::RecordStart()
{
    GetCursorPos(&start_);
    startTime_ = GetTickCount();
    ignoreUntil_ = startTime_;
}

void TScrForm::ReadSharedValues()
{
    // Bounded, so that neither the squared distance nor the delay in
    // milliseconds can overflow: 999999 pixels already means "ignore the
    // mouse", and an hour is the longest delay the settings offer.
    const DWORD kMostPixels = 999999, kMostSeconds = 3600;
    DWORD threshold = ReadDword(HKEY_CURRENT_USER, kScreenSaversKey, "Mouse Threshold", 100);
    DWORD delay = ReadDword(HKEY_CURRENT_USER, kScreenSaversKey, "Password Delay", 30);
    mouseThreshold_ = static_cast<int>(threshold < kMostPixels ? threshold : kMostPixels);
    passwordDelay_ = static_cast<int>(delay < kMostSeconds ? delay : kMostSeconds);
}

bool TScrForm::TestRequirePassword()
{
    if (IsNTFamily())
        return false; // the system guards the saver itself
    if (GetTickCount() - startTime_ < static_cast<DWORD>(passwordDelay_) * 1000u)
        return false;
    return ReadDword(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveUsePassword", 0) != 0;
}

bool TScrForm::VerifyPassword()
{
    ScrBeginDialog();
    bool verified = gScrControl ? gScrControl->VerifyScreenSavePassword(window_) : true;
    ScrEndDialog(verified); // a verified password closes the saver
    return verified;
}

bool TScrForm::CloseQuery()
{
    if (!IsFullScreen())
        return true;
    if (!TestRequirePassword())
        return true;
    return VerifyPassword();
}

void TScrForm::Close()
{
    if (!CloseQuery()) {
        ScrDebug(tlUsr, "TScrForm: close refused by the password check");
        return;
    }
    if (IsFullScreen() && gScrControl) {
        ScrDebug(tlUsr, "TScrForm: closing");
        gScrControl->Terminate();
    }
}

void TScrForm::ActiveConfig(int, int, bool)
{
}

void TScrForm::ScrBeginDialog()
{
    inDialog_ = true;
}

void TScrForm::ScrEndDialog(bool)
{
    inDialog_ = false;
    GetCursorPos(&start_);
}

void TScrForm::ParentNotifyCheck(UINT event, HWND child)
{
    if (!gScrControl || !gScrControl->HasOption(scoHandlePanelsAlso) || !IsWindow(child))
        return;
    if (event == WM_CREATE) {
        if (!(GetWindowLongPtrA(child, GWL_STYLE) & WS_CHILD))
            return;
        LONG_PTR old = GetWindowLongPtrA(child, GWLP_WNDPROC);
        SetPropA(child, kWatchProcProp, reinterpret_cast<HANDLE>(old));
        SetPropA(child, kWatchRootProp, window_);
        SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ChildWatchProc));
    } else if (event == WM_DESTROY) {
        HANDLE old = GetPropA(child, kWatchProcProp);
        if (!old && !GetPropA(child, kWatchRootProp))
            return;
        if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(child, GWLP_WNDPROC)) == &ChildWatchProc) {
            SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
            RemovePropA(child, kWatchProcProp);
        } else {
            ScrDebug(tlErr, "SaverForm: parent-notiy oops! someone has snitched our wndproc!");
        }
        RemovePropA(child, kWatchRootProp);
    }
}

LRESULT CALLBACK TScrForm::ChildWatchProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC old = reinterpret_cast<WNDPROC>(GetPropA(child, kWatchProcProp));
    HWND root = static_cast<HWND>(GetPropA(child, kWatchRootProp));
    auto* form = root ? reinterpret_cast<TScrForm*>(GetWindowLongPtrA(root, GWLP_USERDATA)) : nullptr;
    bool passOn = true;
    if (form) {
        ++form->depth_;
        passOn = form->CommonWndProc(message, wParam, lParam);
        --form->depth_;
        if (RunsScrAction(message))
            form->DoScrAction();
    }
    if (!passOn)
        return message == WM_SETCURSOR ? TRUE : 0;
    if (!old)
        return DefWindowProcA(child, message, wParam, lParam);
    return CallWindowProcA(old, child, message, wParam, lParam);
}

LRESULT TScrForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window_, message, wParam, lParam);
}

void TScrForm::Destroyed()
{
    if ((kind_ == smSFull || kind_ == smSPMain) && gScrControl) {
        ScrDebug(tlUsr, "~TScrForm destructor: telling app to terminate.");
        gScrControl->Terminate();
    }
}
