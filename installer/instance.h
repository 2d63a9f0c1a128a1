// The installer's instance, which every part of it loads its resources,
// dialogs and payloads from.
#pragma once
#include <windows.h>

// Set first thing in WinMain (a test sets it to its own module).
extern HINSTANCE gInstance;
