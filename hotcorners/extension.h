// The property-sheet extension that adds the settings page to the Display
// control panel: its class and the count of live COM objects of the module.
#pragma once
#include <windows.h>

// {9CB48109-E0FC-11D0-8E0C-C52523886C3B}
extern const CLSID CLSID_HotCornersExtension;
constexpr char kExtensionClassText[] = "{9CB48109-E0FC-11D0-8E0C-C52523886C3B}";

// Class factories and extension objects alive in this process, plus the
// pages the property sheet counts through PSP_USEREFPARENT.
extern LONG ObjectCount;
