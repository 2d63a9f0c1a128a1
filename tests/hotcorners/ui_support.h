// What the tests of the settings dialog, the page and the picker share
// beyond the service's harness: entries started with a command text, the
// settings dialog, the page hosted in a property sheet, and the registry
// values as stored.
#pragma once
#include <windows.h>
#include <prsht.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "harness.h"
#include "keys.h"
#include "robot.h"

namespace hcui {

constexpr DWORD kWaitMs = 20000;
using support::kCornersKey;
using support::kPageClassId;
using support::kPageClassKey;
using support::kPageKey;

// Starts "rundll32.exe <module>,<entry> <command>" (no command: nothing after
// the entry).
robot::Child StartEntry(const std::string& module, const char* entry, const char* command = nullptr);
// The settings dialog "Hot Corners" of a process.
HWND WaitForSettings(const robot::Child& child);

// A REG_SZ value as stored: its bytes, the terminating zero included when it
// was written; "<missing>" when there is none.
std::string RawText(HKEY root, const char* key, const char* name);
void WriteText(HKEY root, const char* key, const char* name, const char* text);
using support::KeyExists;

// An interface pointer that this test holds: released when it ends, so a
// failed assertion leaves no object of the module behind.
template <typename Interface> class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Release(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    Interface* operator->() const { return object_; }
    Interface* Get() const { return object_; }
    // For a call that hands over a new reference (what was held is
    // released first).
    void** Out()
    {
        Release();
        return reinterpret_cast<void**>(&object_);
    }
    void Release()
    {
        if (object_)
            object_->Release();
        object_ = nullptr;
    }

private:
    Interface* object_ = nullptr;
};

// The class of the module's page, as the shell asks for it.
extern const CLSID kPageClass;

// The page hosted as the Display control panel hosts it: the module loaded
// into this process with COM initialised, its extension made through its
// class factory and asked for its pages, the page shown in a modeless
// property sheet. Each step gives its answer for the test to check; what the
// steps got is closed, released and freed in reverse order when the host
// ends, whether or not the test reached its end.
class PageHost {
public:
    // Initialises COM and loads the module.
    explicit PageHost(const std::string& module);
    ~PageHost();
    PageHost(const PageHost&) = delete;
    PageHost& operator=(const PageHost&) = delete;

    // The module and both of its exports were found.
    bool Loaded() const;
    // The module's DllGetClassObject and DllCanUnloadNow.
    HRESULT GetClassObject(REFCLSID id, REFIID interfaceId, void** object) const;
    HRESULT CanUnloadNow() const;

    // The class factory of the page's class.
    HRESULT GetFactory();
    // The extension (IShellExtInit) made by the factory, which is released.
    HRESULT CreateExtension();
    // IShellExtInit::Initialize without a folder or data object, as the
    // Display control panel calls it.
    HRESULT Initialize();
    // The extension's IShellPropSheetExt.
    HRESULT QuerySheetExtension();
    // IShellPropSheetExt::AddPages into pages.
    HRESULT AddPages();
    // A modeless sheet "Display Properties" of the pages; null on failure.
    HWND OpenSheet();
    // Destroys the sheet, lets its last messages pass and releases the
    // extension: afterwards the module holds no object for this host.
    void Close();

    ComRef<IClassFactory> factory;
    ComRef<IShellExtInit> init;
    ComRef<IShellPropSheetExt> sheetExtension;
    std::vector<HPROPSHEETPAGE> pages;

private:
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();
    HMODULE library_ = nullptr;
    GetClassObjectFn getClassObject_ = nullptr;
    CanUnloadFn canUnload_ = nullptr;
    HWND sheet_ = nullptr;
};

} // namespace hcui
