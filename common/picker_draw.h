// Drawing the monitor with its four corner markers: the corner picker of
// quadrix.dll and the saver's own corner control share it, the module with
// the artwork from its resources, the saver with pictures it draws itself.
#pragma once
#include <windows.h>

#include "common/owners.h"
#include "common/picker_geometry.h"

// The artwork, owned by the caller. monitor is twice as wide as the picture:
// the picture in its left half (black where the surround shows through), the
// mask in its right half (white there, black under the monitor). markers[i]
// is the marker of code index i (Default, Now, Never).
struct PickerArt {
    HBITMAP monitor = nullptr;
    HBITMAP markers[3] = {};
    int width = 0, height = 0;             // the picture: half the monitor bitmap
    int markerWidth = 0, markerHeight = 0; // of the Default marker
    picker::Layout layout;
};

// Loads the monitor and the Default, Now and Never markers (bitmap ids in
// that order) from instance into bitmaps, and lays them out in art with the
// anchor string of the markers (see picker::LayoutFromAnchors). False when a
// bitmap is missing.
bool LoadPickerArt(HINSTANCE instance, const int ids[4], GdiObject bitmaps[4], const char* anchors,
                   PickerArt* art);
// The same for bitmaps made otherwise (the monitor, then the markers
// Default, Now, Never), which stay owned by bitmaps.
bool SetPickerArt(const GdiObject bitmaps[4], const char* anchors, PickerArt* art);

// Paints a control's client area through target: what lies under it, the monitor, the desktop
// colour on its screen, the marker of each corner's code, checkered in the
// desktop colour when disabled. Draws off screen first, so nothing flickers;
// draws nothing when the memory device context or bitmap cannot be made.
void PaintPicker(HDC target, const PickerArt& art, const char codes[picker::kCorners],
                 bool enabled);

// Gives a control the picture's size, keeping its centre in its parent; a
// control of that size already stays where it is.
void FitToPicture(HWND control, int width, int height);
