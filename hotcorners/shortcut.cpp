// The start-up shortcut "Quadrix" in the user's Startup folder: found through
// the shell's own enumeration of the folder (a link shows there by its name
// without ".lnk"), made and loaded with IShellLinkA.
#include "common/owners.h"
#include "common/paths.h"
#include "common/syserror.h"
#include "common/text.h"
#include "hotcorners/launch.h"
#include "hotcorners/quadrix.h"
#include "hotcorners/settings.h"

namespace {

constexpr int kInFolderNameSize = 200;
constexpr int kWidePathSize = kPathSize;

void FreeShellMemory(void* memory)
{
    ComPtr<IMalloc> allocator;
    if (SUCCEEDED(SHGetMalloc(allocator.Receive())))
        allocator->Free(memory);
}

// An item id list from the shell, freed with the shell's allocator.
struct ItemIdTraits {
    using Value = LPITEMIDLIST;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { FreeShellMemory(v); }
};
using ItemId = Owner<ItemIdTraits>;

void ToWide(const char* text, WCHAR* out, int size)
{
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, out, size) == 0)
        out[0] = 0;
    out[size - 1] = 0;
}

void ToAnsi(const WCHAR* text, char* out, int size)
{
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, out, size, nullptr, nullptr) == 0)
        out[0] = 0;
    out[size - 1] = 0;
}

// Windows 95 has the ANSI string functions only; these two wide ones are
// all the shortcut's search needs.
void CopyWide(WCHAR* out, int size, const WCHAR* text)
{
    int i = 0;
    for (; i < size - 1 && text[i]; ++i)
        out[i] = text[i];
    out[i] = 0;
}

bool SameWide(const WCHAR* a, const WCHAR* b)
{
    for (; *a && *a == *b; ++a, ++b) {
    }
    return *a == *b;
}

// A display name as wide text: the shell answers in one of three forms.
bool DisplayName(IShellFolder* folder, LPCITEMIDLIST item, DWORD flags, WCHAR* out, int size)
{
    STRRET name;
    ZeroMemory(&name, sizeof name);
    out[0] = 0;
    if (FAILED(folder->GetDisplayNameOf(item, flags, &name)))
        return false;
    switch (name.uType) {
    case STRRET_WSTR:
        if (name.pOleStr) {
            CopyWide(out, size, name.pOleStr);
            FreeShellMemory(name.pOleStr);
        }
        break;
    case STRRET_OFFSET:
        ToWide(reinterpret_cast<const char*>(item) + name.uOffset, out, size);
        break;
    case STRRET_CSTR:
        ToWide(name.cStr, out, size);
        break;
    default:
        break;
    }
    return true;
}

bool StartupFolder(HWND owner, ItemId* id, char* path)
{
    if (FAILED(SHGetSpecialFolderLocation(owner, CSIDL_STARTUP, id->Receive())) || !*id)
        return false;
    return SHGetPathFromIDListA(id->Get(), path) != FALSE;
}

// The parsing name of the last item named exactly "Quadrix" (case counts).
bool FindInFolder(HWND owner, LPCITEMIDLIST folderId, WCHAR* found)
{
    found[0] = 0;
    ComPtr<IShellFolder> desktop, folder;
    ComPtr<IEnumIDList> items;
    if (FAILED(SHGetDesktopFolder(desktop.Receive())) ||
        FAILED(desktop->BindToObject(folderId, nullptr, IID_IShellFolder, folder.ReceiveVoid())) ||
        folder->EnumObjects(owner, SHCONTF_NONFOLDERS, items.Receive()) != S_OK || !items)
        return false;
    for (;;) {
        ItemId item;
        ULONG fetched = 0;
        if (items->Next(1, item.Receive(), &fetched) != S_OK || fetched != 1)
            break;
        WCHAR name[kInFolderNameSize];
        if (DisplayName(folder.Get(), item.Get(), SHGDN_INFOLDER, name, kInFolderNameSize) &&
            SameWide(name, L"Quadrix"))
            DisplayName(folder.Get(), item.Get(), SHGDN_FORPARSING, found, kWidePathSize);
    }
    return found[0] != 0;
}

ComPtr<IShellLinkA> NewShellLink()
{
    ComPtr<IShellLinkA> link;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      link.ReceiveVoid());
    if (FAILED(result)) {
        // COM reports through its result, not the thread's last error.
        char text[1024];
        SetLastError(static_cast<DWORD>(result));
        GetSystemErrorText(text, sizeof text);
        MessageBoxA(nullptr, text, "GetLastError", MB_ICONINFORMATION);
    }
    return link;
}

IShellLinkA* LoadShortcut(const WCHAR* path)
{
    ComPtr<IShellLinkA> link = NewShellLink();
    ComPtr<IPersistFile> file;
    if (!link || FAILED(link->QueryInterface(IID_IPersistFile, file.ReceiveVoid())) ||
        FAILED(file->Load(path, STGM_SHARE_DENY_WRITE)))
        return nullptr;
    return link.Release();
}

IShellLinkA* CreateShortcut(const char* linkPath)
{
    char module[kPathSize];
    DWORD length = GetModuleFileNameA(gModule, module, sizeof module);
    char arguments[kPathSize + 16];
    char host[kPathSize];
    if (length == 0 || length >= sizeof module - 1 ||
        !FormatText(arguments, sizeof arguments, "%s,RunService", module) ||
        !RundllPath(host, sizeof host))
        return nullptr;
    ComPtr<IShellLinkA> link = NewShellLink();
    ComPtr<IPersistFile> file;
    if (!link || FAILED(link->QueryInterface(IID_IPersistFile, file.ReceiveVoid())))
        return nullptr;
    link->SetPath(host);
    link->SetDescription("Quadrix");
    link->SetArguments(arguments);
    link->SetIconLocation(module, 0);
    WCHAR widePath[kWidePathSize];
    ToWide(linkPath, widePath, kWidePathSize);
    if (FAILED(file->Save(widePath, FALSE)))
        return nullptr;
    return link.Release();
}

} // namespace

IShellLinkA* FindStartupShortcut(HWND owner, bool create, char* path)
{
    ItemId folderId;
    char folder[kPathSize];
    if (!StartupFolder(owner, &folderId, folder))
        return nullptr;
    WCHAR found[kWidePathSize];
    if (FindInFolder(owner, folderId.Get(), found)) {
        IShellLinkA* link = LoadShortcut(found);
        if (link && path)
            ToAnsi(found, path, kPathSize);
        return link;
    }
    char linkPath[kPathSize];
    if (!create || !JoinPath(linkPath, sizeof linkPath, folder, "Quadrix.lnk"))
        return nullptr;
    IShellLinkA* link = CreateShortcut(linkPath);
    if (link && path)
        CopyText(path, kPathSize, linkPath);
    return link;
}
