// The hot-corners module's set-up: installed like any payload, stopped
// before its file is replaced and set going once it is in place, each
// through one of its rundll32-shaped entries.
#include "common/owners.h"
#include "common/paths.h"
#include "installer/finish/finish.h"
#include "installer/instance.h"
#include "installer/payload/payload.h"

namespace {

// What InstallPayload hands back to the event handler.
struct HotCornersInstallState {
    char modulePath[kPathSize]; // the destination and the file that is loaded
};

// Gives the old service time to let go of the module before it is replaced.
constexpr DWORD kStopPauseMs = 500;

// An entry as rundll32 calls it: window, instance, command text, show command.
typedef void(CALLBACK* ModuleEntry)(HWND window, HINSTANCE instance, LPSTR text, int show);

// Loads the module at path only for the length of one call of its entry.
// Returns false when the module does not load or lacks the entry.
bool CallModuleEntry(const char* path, const char* entryName, HWND owner)
{
    Library module(LoadLibraryA(path));
    if (!module)
        return false;
    auto entry = reinterpret_cast<ModuleEntry>(
        reinterpret_cast<void*>(GetProcAddress(module.Get(), entryName)));
    if (!entry)
        return false;
    // Entries may write into their text, as rundll32's own copy allows.
    char text[] = "/notitle";
    entry(owner, gInstance, text, SW_SHOWNORMAL);
    return true;
}

} // namespace

void HotCornersEventHandler(PayloadEvent event, HWND owner, const char*, void* data)
{
    auto* state = static_cast<HotCornersInstallState*>(data);
    switch (event) {
    case PAYLOAD_REPLACING:
        // The copy still installed stops its service; one that cannot be
        // loaded or has no such entry is replaced all the same.
        CallModuleEntry(state->modulePath, "TerminateService", owner);
        Sleep(kStopPauseMs);
        break;
    case PAYLOAD_CREATED:
    case PAYLOAD_REPLACED:
    case PAYLOAD_LEFT:
        break; // the set-up follows in every case
    }
}

bool InstallHotCorners(HWND owner, const char* resourceName)
{
    HotCornersInstallState state = {};
    char windows[kPathSize];
    UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    if (length == 0 || length >= sizeof windows ||
        !JoinPath(state.modulePath, sizeof state.modulePath, windows, "quadrix.dll"))
        return false;
    if (!InstallPayload(owner, state.modulePath, resourceName, "Quadrix", HotCornersEventHandler,
                        &state))
        return false;
    // Set up even when the same version was there already: a run that was
    // stopped after the file landed left it without its service, shortcut
    // or page. The silent set-up is safe to repeat (it keeps an existing
    // shortcut and a running service).
    return CallModuleEntry(state.modulePath, "InstallSilently", owner);
}
