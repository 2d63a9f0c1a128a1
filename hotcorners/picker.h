// The corner picker GlimmexMonitorClass: a picture of a monitor with a
// marker in each screen corner; clicking a marker offers Default, Now and
// Never. The four codes live in the control's window style.
#pragma once
#include <windows.h>

constexpr char kMonitorClass[] = "GlimmexMonitorClass";

// Registers the class and loads the menus, bitmaps and marker layout once per
// process; later calls do nothing. Freed by FreePickerResources at detach.
void LoadPickerResources();
// Frees them if this process loaded them; called at process detach.
void FreePickerResources();

// Writes the four codes ('-', 'Y', 'N' for top-left, top-right, bottom-right,
// bottom-left) into the control's style and repaints it.
void SetCorners(HWND control, const char codes[4]);
void GetCorners(HWND control, char codes[4]);
