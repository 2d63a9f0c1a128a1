// A stand-in for a system-agent library: System_Agent_Detect answers what the
// environment variable FAKE_AGENT says, Screen_Saver_Changed counts its calls
// in FAKE_CHANGED.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

extern "C" __declspec(dllexport) DWORD WINAPI System_Agent_Detect()
{
    char text[8] = {};
    GetEnvironmentVariableA("FAKE_AGENT", text, sizeof text);
    return text[0] == '1' ? 1 : 0;
}

extern "C" __declspec(dllexport) void WINAPI Screen_Saver_Changed()
{
    char text[16] = {};
    GetEnvironmentVariableA("FAKE_CHANGED", text, sizeof text);
    std::snprintf(text, sizeof text, "%d", std::atoi(text) + 1);
    SetEnvironmentVariableA("FAKE_CHANGED", text);
}
