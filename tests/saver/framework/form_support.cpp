#include "form_support.h"

#include <gtest/gtest.h>

#include <new>

namespace formtest {

TScrForm* TTestForm::Make(TScrMode kind)
{
    return new (std::nothrow) TTestForm(kind);
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int gVerifications = 0;
bool gVerifierAnswer = false;
POINT gPointerLeftAt = {900, 700};

bool Verifier(HWND)
{
    ++gVerifications;
    SetCursorPos(gPointerLeftAt.x, gPointerLeftAt.y);
    return gVerifierAnswer;
}

bool IsNotNTFamily()
{
    return false;
}

bool IsNTFamily()
{
    return true;
}

void WriteValue(const char* key, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY opened = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE,
                                             nullptr, &opened, nullptr));
    RegSetValueExA(opened, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(opened);
}

} // namespace formtest
