// The corner picture's artwork, drawn when the class is registered: a
// monitor (its picture and its mask side by side) and the markers Default,
// Now and Never. The hot-corners module keeps its own as bitmaps; the saver,
// which may be installed without it, draws a like picture with a few shapes
// rather than carry a second copy.
#pragma once
#include <windows.h>

#include "common/owners.h"

// Makes bitmaps[0] the monitor (368 by 170: picture left, mask right) and
// bitmaps[1..3] the markers Default, Now and Never (24 by 22). False when a
// bitmap could not be made.
bool DrawCornerArt(GdiObject bitmaps[4]);
