// TScrCorners: the "General" page's picture of a monitor with a marker in
// each screen corner (Default, Now or Never), painted like the hot-corners
// module's own picker from pictures the saver draws itself, since the module
// may be absent. Clicking a marker offers "Now", "Never" and "Default".
#pragma once
#include <windows.h>

constexpr char kCornerPictureClass[] = "TScrCorners";

// Registers the class for this program (once; later calls do nothing).
void RegisterCornerPicture();

// Binds the control to four codes ('-', 'Y', 'N': top-left, top-right,
// bottom-right, bottom-left) that outlive it: it shows them, and a choice
// writes the code there and tells the parent (WM_COMMAND with the control's
// id and handle).
void BindCornerPicture(HWND control, char* codes);
