// Starting a program as the desktop's user from an elevated process.
//
// On Windows Vista and later an installer runs elevated, and so does every
// process it starts. A service started that way would keep an
// administrator's token until the next logon, and the system's isolation of
// elevated windows would drop the messages normal processes send it. The
// desktop shell runs with the user's own token; asked through its automation
// objects, it starts the program as a child of its own.
//
// Everything here newer than Windows 95 and NT 4 is looked up at run time,
// so the module still loads there (where nothing is ever elevated).
#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "common/owners.h"
#include "hotcorners/launch.h"
#include "hotcorners/quadrix.h"

namespace {

constexpr int kWideTextSize = 1100;

// The full token of an administrator (TokenElevationTypeFull); earlier
// systems know neither the query nor the class and answer false.
bool ProcessIsElevated()
{
    using OpenToken = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE*);
    using QueryToken = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, void*, DWORD, DWORD*);
    Library advapi(LoadLibraryA("advapi32.dll"));
    if (!advapi)
        return false;
    auto openToken = LibraryExport<OpenToken>(advapi.Get(), "OpenProcessToken");
    auto queryToken = LibraryExport<QueryToken>(advapi.Get(), "GetTokenInformation");
    HANDLE raw = nullptr;
    if (!openToken || !queryToken || !openToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
        return false;
    KernelHandle token(raw);
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    return queryToken(token.Get(), TokenElevationType, &type, sizeof type, &size) &&
           type == TokenElevationTypeFull;
}

// COM for the calling thread for as long as the scope lasts.
class ComApartment {
public:
    ComApartment() : entered_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment()
    {
        if (entered_)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool entered_;
};

// Automation strings, from oleaut32 (loaded only on this path).
class Strings {
public:
    Strings() : library_(LoadLibraryA("oleaut32.dll"))
    {
        if (!library_)
            return;
        alloc_ = LibraryExport<Alloc>(library_.Get(), "SysAllocString");
        free_ = LibraryExport<Free>(library_.Get(), "SysFreeString");
    }
    ~Strings()
    {
        for (int i = 0; i < count_; ++i)
            if (made_[i])
                free_(made_[i]);
    }
    Strings(const Strings&) = delete;
    Strings& operator=(const Strings&) = delete;

    // A string owned by this object; nullptr when it cannot be made.
    BSTR Make(const char* text)
    {
        WCHAR wide[kWideTextSize];
        if (!alloc_ || !free_ || count_ == kMost ||
            MultiByteToWideChar(CP_ACP, 0, text, -1, wide, kWideTextSize) == 0)
            return nullptr;
        return made_[count_++] = alloc_(wide);
    }

private:
    using Alloc = BSTR(WINAPI*)(const OLECHAR*);
    using Free = void(WINAPI*)(BSTR);
    static constexpr int kMost = 2; // the file and its parameters
    Library library_;
    Alloc alloc_ = nullptr;
    Free free_ = nullptr;
    BSTR made_[kMost] = {};
    int count_ = 0;
};

// The desktop's automation object (IShellDispatch2), reached through the
// desktop window's shell browser and its view's background object.
ComPtr<IShellDispatch2> DesktopShell()
{
    ComPtr<IShellWindows> windows;
    ComPtr<IDispatch> desktop;
    ComPtr<IServiceProvider> services;
    ComPtr<IShellBrowser> browser;
    ComPtr<IShellView> view;
    ComPtr<IDispatch> background;
    ComPtr<IShellFolderViewDual> folderView;
    ComPtr<IDispatch> application;
    ComPtr<IShellDispatch2> shell;
    VARIANT none = {}; // VT_EMPTY
    long window = 0;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.ReceiveVoid())) ||
        windows->FindWindowSW(&none, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                              desktop.Receive()) != S_OK ||
        !desktop ||
        FAILED(desktop->QueryInterface(IID_IServiceProvider, services.ReceiveVoid())) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                      browser.ReceiveVoid())) ||
        FAILED(browser->QueryActiveShellView(view.Receive())) || !view ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.ReceiveVoid())) ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.ReceiveVoid())) ||
        FAILED(folderView->get_Application(application.Receive())) || !application ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, shell.ReceiveVoid())))
        return ComPtr<IShellDispatch2>();
    return shell;
}

} // namespace

bool LaunchAsDesktopUser(const char* file, const char* parameters)
{
    if (!ProcessIsElevated())
        return false;
    ComApartment apartment;
    Strings strings;
    BSTR fileText = strings.Make(file);
    BSTR parameterText = strings.Make(parameters);
    ComPtr<IShellDispatch2> shell = DesktopShell();
    if (!fileText || !parameterText || !shell)
        return false;
    VARIANT arguments = {};
    arguments.vt = VT_BSTR;
    arguments.bstrVal = parameterText;
    VARIANT none = {};
    VARIANT show = {};
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    return SUCCEEDED(shell->ShellExecute(fileText, arguments, none, none, show));
}
