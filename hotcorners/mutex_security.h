// The security the module's named mutexes are made with, so that every
// process of the user can open them whoever made them first.
#pragma once
#include <windows.h>

// Under UAC the elevated installer may be the first to make the mutexes;
// with the default security of its token (owner and rights for the
// administrators, a high integrity label) the user's own processes, the
// service the desktop shell starts among them, could not open them. So
// they are made for the user: full rights for the user, the system and the
// administrators, and a medium integrity label. Windows 95 and NT 4 know
// none of the calls (and have nothing to guard); Windows 2000 and XP know
// no integrity label, and get the rights alone.
class MutexSecurity {
public:
    MutexSecurity();
    ~MutexSecurity();
    MutexSecurity(const MutexSecurity&) = delete;
    MutexSecurity& operator=(const MutexSecurity&) = delete;

    // Null: the default security.
    SECURITY_ATTRIBUTES* Get() { return descriptor_ ? &attributes_ : nullptr; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_ = {};
};

// A named mutex with that security, or with the default one where a label
// above this process's own level is refused (a low-integrity caller); null
// when it cannot be made.
HANDLE MakeMutex(SECURITY_ATTRIBUTES* security, const char* name);
