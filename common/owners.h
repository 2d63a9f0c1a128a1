// Owners for Win32 resources: each closes what it holds when it goes, and
// none can be copied (a copy would close twice). Move them where a function
// hands ownership on; Release() gives the resource up without closing it.
#pragma once
#include <windows.h>

#include <utility>

// The common shape: Traits::Invalid() is the empty value, Traits::Close(v)
// frees a non-empty one.
template <typename Traits>
class Owner {
public:
    using Value = typename Traits::Value;

    Owner() = default;
    explicit Owner(Value value) : value_(value) {}
    ~Owner() { Reset(); }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    Owner(Owner&& other) noexcept : value_(other.Release()) {}
    Owner& operator=(Owner&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    Value Get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Invalid(); }

    // For the out parameter of an opening call; closes what was held first.
    Value* Receive()
    {
        Reset();
        return &value_;
    }
    void Reset(Value value = Traits::Invalid())
    {
        if (value_ != Traits::Invalid())
            Traits::Close(value_);
        value_ = value;
    }
    Value Release() { return std::exchange(value_, Traits::Invalid()); }

private:
    Value value_ = Traits::Invalid();
};

// A kernel object (process, thread, event, mutex, file mapping): empty is null.
struct KernelHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { CloseHandle(v); }
};
using KernelHandle = Owner<KernelHandleTraits>;

// A file from CreateFileA: empty is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Value v) { CloseHandle(v); }
};
using FileHandle = Owner<FileHandleTraits>;

// A search from FindFirstFileA.
struct FindHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Value v) { FindClose(v); }
};
using FindHandle = Owner<FindHandleTraits>;

// An open registry key (never one of the predefined roots).
struct RegKeyTraits {
    using Value = HKEY;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { RegCloseKey(v); }
};
using RegKey = Owner<RegKeyTraits>;

// A library from LoadLibraryA.
struct LibraryTraits {
    using Value = HMODULE;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { FreeLibrary(v); }
};
using Library = Owner<LibraryTraits>;

// A function of library looked up by name (Proc: its pointer type), for
// what older systems lack; nullptr when the library does not export it.
template <typename Proc>
Proc LibraryExport(HMODULE library, const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// A GDI object we created (bitmap, brush, pen, font, region).
struct GdiObjectTraits {
    using Value = HGDIOBJ;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { DeleteObject(v); }
};
using GdiObject = Owner<GdiObjectTraits>;

// A memory device context from CreateCompatibleDC.
struct MemoryDcTraits {
    using Value = HDC;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { DeleteDC(v); }
};
using MemoryDc = Owner<MemoryDcTraits>;

// A menu from CreatePopupMenu or CreateMenu, not attached to a window.
struct MenuTraits {
    using Value = HMENU;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { DestroyMenu(v); }
};
using MenuOwner = Owner<MenuTraits>;

// An icon from LoadImageA (not a shared one).
struct IconTraits {
    using Value = HICON;
    static Value Invalid() { return nullptr; }
    static void Close(Value v) { DestroyIcon(v); }
};
using IconOwner = Owner<IconTraits>;

// A window's device context from GetDC, released to its window.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context, deselected when it goes.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject()
    {
        if (old_ && old_ != HGDI_ERROR)
            SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A mutex this thread waited for and got, released when it goes.
class HeldMutex {
public:
    HeldMutex() = default;
    // Waits at most timeoutMs; an abandoned mutex (its owner died holding
    // it) is ours all the same.
    HeldMutex(HANDLE mutex, DWORD timeoutMs)
    {
        if (!mutex)
            return;
        DWORD wait = WaitForSingleObject(mutex, timeoutMs);
        if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED)
            mutex_ = mutex;
    }
    ~HeldMutex()
    {
        if (mutex_)
            ReleaseMutex(mutex_);
    }
    HeldMutex(const HeldMutex&) = delete;
    HeldMutex& operator=(const HeldMutex&) = delete;
    explicit operator bool() const { return mutex_ != nullptr; }

private:
    HANDLE mutex_ = nullptr;
};

// A COM interface pointer, released when it goes.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(T* p) : p_(p) {}
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            Reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** Receive()
    {
        Reset();
        return &p_;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
    T* Release() { return std::exchange(p_, nullptr); }
    void Reset()
    {
        if (p_)
            std::exchange(p_, nullptr)->Release();
    }

private:
    T* p_ = nullptr;
};
