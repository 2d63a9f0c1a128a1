// What the tests of the saver window in this process share: a form class of
// their own, a message pump that outlives the controller's end, and the
// password path of the Windows 95 family with its checks replaced.
#pragma once
#include <windows.h>

#include "saver/framework/form.h"

namespace formtest {

// The full-screen form the tests register as "TTestSaverForm".
class TTestForm : public TScrForm {
public:
    explicit TTestForm(TScrMode kind) : TScrForm(kind) {}
    const char* ClassName() const override { return "TTestSaverForm"; }
    static TScrForm* Make(TScrMode kind);
};

// Dispatches this thread's messages; the controller's WM_QUIT is passed over
// (the test goes on looking).
void Pump();
// Pumps until predicate holds; false after timeoutMs.
template <typename Predicate> bool PumpUntil(Predicate predicate, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!predicate()) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Pump();
        Sleep(10);
    }
    return true;
}

// A stand-in for the system's password box (ScrSetPasswordVerifier): it
// counts the verifications, leaves the pointer at gPointerLeftAt, as a user
// moving the mouse while the box shows would, and answers gVerifierAnswer.
extern int gVerifications;
extern bool gVerifierAnswer;
extern POINT gPointerLeftAt;
bool Verifier(HWND parent);
// Family checks (ScrSetFamilyCheck) that answer as the Windows 95 family
// and as Windows NT.
bool IsNotNTFamily();
bool IsNTFamily();

// Writes a value under HKEY_CURRENT_USER, creating its key.
void WriteValue(const char* key, const char* name, DWORD type, const void* data, DWORD size);

} // namespace formtest
