// A stand-in for comdlg32.dll as the common dialogs of Windows 95, 98 and
// NT 4 behave: GetOpenFileNameA refuses every structure size but the one
// they know (76 bytes on i686, 136 for the x86-64 twin) with CDERR_STRUCTSIZE. It appends each size
// it is given, one per line, to the file FAKE_COMDLG_LOG; with the right
// size it fails with the error in FAKE_COMDLG_ERROR (hexadecimal) when that
// is set, chooses the path in FAKE_COMDLG_CHOICE when that is set, and
// otherwise answers as a Cancel does.
// Without the common dialogs' header, which declares these as imports.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The first fields of OPENFILENAMEA, all that the fake reads.
struct OpenFileNamePrefix {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCSTR lpstrFilter;
    LPSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;
    LPSTR lpstrFile;
    DWORD nMaxFile;
};
// The 4.00 structure, up to lpTemplateName (OPENFILENAME_SIZE_VERSION_400A).
const DWORD kKnownSize = sizeof(void*) == 4 ? 76 : 136;
const DWORD CDERR_STRUCTSIZE = 0x0001;
const DWORD CDERR_INITIALIZATION = 0x0002;

DWORD gError = 0;

void LogSize(DWORD size)
{
    char path[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("FAKE_COMDLG_LOG", path, sizeof path))
        return;
    HANDLE log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return;
    char line[32];
    int length = std::snprintf(line, sizeof line, "%lu\r\n", static_cast<unsigned long>(size));
    DWORD written = 0;
    WriteFile(log, line, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(log);
}

} // namespace

extern "C" __declspec(dllexport) BOOL WINAPI GetOpenFileNameA(OpenFileNamePrefix* ofn)
{
    if (!ofn) {
        gError = CDERR_INITIALIZATION;
        return FALSE;
    }
    LogSize(ofn->lStructSize);
    if (ofn->lStructSize != kKnownSize) {
        gError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    char text[MAX_PATH] = {};
    if (GetEnvironmentVariableA("FAKE_COMDLG_ERROR", text, sizeof text)) {
        gError = static_cast<DWORD>(std::strtoul(text, nullptr, 16));
        return FALSE;
    }
    if (GetEnvironmentVariableA("FAKE_COMDLG_CHOICE", text, sizeof text) && ofn->lpstrFile &&
        ofn->nMaxFile > static_cast<DWORD>(lstrlenA(text))) {
        lstrcpynA(ofn->lpstrFile, text, static_cast<int>(ofn->nMaxFile));
        gError = 0;
        return TRUE;
    }
    gError = 0; // the user cancelled
    return FALSE;
}

extern "C" __declspec(dllexport) DWORD WINAPI CommDlgExtendedError()
{
    return gError;
}
