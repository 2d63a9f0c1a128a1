// The property-sheet extension that adds the settings page to the Display
// control panel: the class object, the extension (IShellExtInit and
// IShellPropSheetExt on one object) and the module's object count. No
// exception or failed allocation leaves a method: each answers an HRESULT.
#include <objbase.h>
#include <prsht.h>
#include <shlobj.h>

#include <new>
#include <utility>

#include "hotcorners/entries.h"
#include "hotcorners/extension.h"
#include "hotcorners/picker.h"
#include "hotcorners/quadrix.h"
#include "hotcorners/resource.h"
#include "hotcorners/settings.h"

const CLSID CLSID_HotCornersExtension = {
    0x9CB48109, 0xE0FC, 0x11D0, {0x8E, 0x0C, 0xC5, 0x25, 0x23, 0x88, 0x6C, 0x3B}};

LONG ObjectCount = 0;

namespace {

// Every object of the module counts itself; the first one in keeps COM
// initialised on its thread until the count is back at 0.
bool gComEntered = false;

class CountedObject {
public:
    CountedObject()
    {
        if (ObjectCount == 0)
            gComEntered = EnterCom();
        ++ObjectCount;
    }
    ~CountedObject()
    {
        if (--ObjectCount == 0 && std::exchange(gComEntered, false))
            CoUninitialize();
    }
    CountedObject(const CountedObject&) = delete;
    CountedObject& operator=(const CountedObject&) = delete;
};

// The reference count of one object; the last Release frees it.
template <typename Object> class References {
public:
    ULONG Add() { return static_cast<ULONG>(++count_); }
    ULONG Drop(Object* object)
    {
        LONG left = --count_;
        if (left == 0)
            delete object;
        return static_cast<ULONG>(left);
    }

private:
    LONG count_ = 0;
};

template <typename Interface> HRESULT Give(Interface* object, void** out)
{
    object->AddRef();
    *out = object;
    return S_OK;
}

class HotCornersExtension final : public IShellExtInit, public IShellPropSheetExt, private CountedObject {
public:
    // IUnknown, the same for both interfaces.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellExtInit))
            return Give(static_cast<IShellExtInit*>(this), out);
        if (IsEqualIID(iid, IID_IShellPropSheetExt))
            return Give(static_cast<IShellPropSheetExt*>(this), out);
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return references_.Add(); }
    STDMETHODIMP_(ULONG) Release() override { return references_.Drop(this); }

    // IShellExtInit: the page needs nothing of the folder or selection.
    STDMETHODIMP Initialize(LPCITEMIDLIST, IDataObject*, HKEY) override
    {
        LoadPickerResources();
        return S_OK;
    }

    // IShellPropSheetExt
    STDMETHODIMP AddPages(LPFNSVADDPROPSHEETPAGE addPage, LPARAM parameter) override
    {
        PROPSHEETPAGEA page;
        ZeroMemory(&page, sizeof page);
        page.dwSize = PROPSHEETPAGEA_V1_SIZE;
        page.dwFlags = PSP_USEREFPARENT;
        page.hInstance = gModule;
        page.pszTemplate = MAKEINTRESOURCEA(IDD_SETTINGS_PAGE);
        page.pfnDlgProc = SettingsDialogProc;
        // The sheet counts the page in the module's object count.
        page.pcRefParent = reinterpret_cast<UINT*>(&ObjectCount);
        page.lParam = reinterpret_cast<LPARAM>(this);
        HPROPSHEETPAGE handle = CreatePropertySheetPageA(&page);
        if (handle && addPage && !addPage(handle, parameter))
            DestroyPropertySheetPage(handle);
        return S_OK;
    }
    STDMETHODIMP ReplacePage(EXPPS, LPFNSVADDPROPSHEETPAGE, LPARAM) override { return S_OK; }

private:
    References<HotCornersExtension> references_;
};

class ClassFactory final : public IClassFactory, private CountedObject {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory))
            return Give(static_cast<IClassFactory*>(this), out);
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return references_.Add(); }
    STDMETHODIMP_(ULONG) Release() override { return references_.Drop(this); }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return Hand(new (std::nothrow) HotCornersExtension, iid, out);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

    // A new object's answer to QueryInterface; one that answers no is freed.
    template <typename Object> static HRESULT Hand(Object* object, REFIID iid, void** out)
    {
        if (!object)
            return E_OUTOFMEMORY;
        object->AddRef();
        HRESULT result = object->QueryInterface(iid, out);
        object->Release();
        return result;
    }

private:
    References<ClassFactory> references_;
};

} // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(classId, CLSID_HotCornersExtension))
        return CLASS_E_CLASSNOTAVAILABLE;
    return ClassFactory::Hand(new (std::nothrow) ClassFactory, iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return ObjectCount == 0 ? S_OK : S_FALSE;
}
