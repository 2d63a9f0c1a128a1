#include "ui_support.h"

#include <commctrl.h>

#include "support.h"

namespace hcui {

robot::Child StartEntry(const std::string& module, const char* entry, const char* command)
{
    // rundll32 takes the module's path unquoted (Wine's does not strip quotes).
    std::string line = "rundll32.exe " + module + "," + entry;
    if (command)
        line += std::string(" ") + command;
    return robot::Start(line);
}

HWND WaitForSettings(const robot::Child& child)
{
    return robot::WaitForDialog("Hot Corners", kWaitMs, child.id);
}

std::string RawText(HKEY root, const char* key, const char* name)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return "<missing>";
    char data[1000];
    DWORD size = sizeof data, type = 0;
    LONG result = RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(opened);
    if (result != ERROR_SUCCESS)
        return "<missing>";
    return std::string(data, size);
}

void WriteText(HKEY root, const char* key, const char* name, const char* text)
{
    RegSetKeyValueA(root, key, name, REG_SZ, text, static_cast<DWORD>(lstrlenA(text) + 1));
}

const CLSID kPageClass = {0x9CB48109, 0xE0FC, 0x11D0, {0x8E, 0x0C, 0xC5, 0x25, 0x23, 0x88, 0x6C, 0x3B}};

namespace {

BOOL CALLBACK CollectPage(HPROPSHEETPAGE page, LPARAM pages)
{
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(pages)->push_back(page);
    return TRUE;
}

} // namespace

PageHost::PageHost(const std::string& module)
{
    CoInitialize(nullptr);
    library_ = LoadLibraryA(module.c_str());
    if (!library_)
        return;
    getClassObject_ = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(library_, "DllGetClassObject")));
    canUnload_ = reinterpret_cast<CanUnloadFn>(
        reinterpret_cast<void*>(GetProcAddress(library_, "DllCanUnloadNow")));
}

PageHost::~PageHost()
{
    Close();
    factory.Release();
    if (library_)
        FreeLibrary(library_);
    CoUninitialize();
}

bool PageHost::Loaded() const
{
    return library_ && getClassObject_ && canUnload_;
}

HRESULT PageHost::GetClassObject(REFCLSID id, REFIID interfaceId, void** object) const
{
    return getClassObject_(id, interfaceId, object);
}

HRESULT PageHost::CanUnloadNow() const
{
    return canUnload_();
}

HRESULT PageHost::GetFactory()
{
    return getClassObject_(kPageClass, IID_IClassFactory, factory.Out());
}

HRESULT PageHost::CreateExtension()
{
    HRESULT result = factory->CreateInstance(nullptr, IID_IShellExtInit, init.Out());
    factory.Release();
    return result;
}

HRESULT PageHost::Initialize()
{
    return init->Initialize(nullptr, nullptr, nullptr);
}

HRESULT PageHost::QuerySheetExtension()
{
    return init->QueryInterface(IID_IShellPropSheetExt, sheetExtension.Out());
}

HRESULT PageHost::AddPages()
{
    return sheetExtension->AddPages(CollectPage, reinterpret_cast<LPARAM>(&pages));
}

HWND PageHost::OpenSheet()
{
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS;
    header.pszCaption = "Display Properties";
    header.nPages = static_cast<UINT>(pages.size());
    header.phpage = pages.data();
    sheet_ = reinterpret_cast<HWND>(PropertySheetA(&header));
    return sheet_;
}

void PageHost::Close()
{
    if (sheet_) {
        DestroyWindow(sheet_);
        sheet_ = nullptr;
        hc::PumpFor(200);
    }
    sheetExtension.Release();
    init.Release();
}

} // namespace hcui
