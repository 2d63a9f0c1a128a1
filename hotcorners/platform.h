// What the module asks of the system it runs on: its version, and the few
// calls of the service whose failures only other systems produce.
#pragma once
#include <windows.h>
#include <shellapi.h>

// The Windows 95 family (95, 98, Me), as GetVersionExA reports it.
bool IsWindows95Family();
// The NT family from Windows 2000 (5.0) on.
bool IsWindows2000OrLater();
// The Display control panel takes property-sheet extensions (its pages)
// up to Windows XP and Server 2003; Windows Vista (6.0) dropped them.
bool HasDisplayPropertiesPages();

// The service's calls that can fail on real Windows in ways Wine never
// shows: the pointer's position on another desktop, a post refused by a
// window out of reach, an export missing on an older system, a tray that
// came back. They go through this table, which tests replace.
struct ServiceCalls {
    BOOL(WINAPI* getCursorPos)(POINT*);
    BOOL(WINAPI* postMessage)(HWND, UINT, WPARAM, LPARAM);
    LRESULT(WINAPI* defWindowProc)(HWND, UINT, WPARAM, LPARAM);
    FARPROC(WINAPI* getProcAddress)(HMODULE, LPCSTR);
    BOOL(WINAPI* shellNotifyIcon)(DWORD, NOTIFYICONDATAA*);
};
extern ServiceCalls gServiceCalls;

// An export of library through gServiceCalls; nullptr when it is missing.
template <typename Proc>
Proc ServiceExport(HMODULE library, const char* name)
{
    if (!library)
        return nullptr;
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(gServiceCalls.getProcAddress(library, name)));
}
