// Frame pacing: a saver draws at most one frame per refresh of the display,
// since frames no screen can show only cost power and heat.
#pragma once
#include "saver/framework/frame_pacer.h"

// The display's refresh rate in Hz (60 where the system reports 0 or 1,
// its "hardware default", or nothing at all).
unsigned ScrRefreshRate();
// The animation's pace: one refresh apart, or 1 ms with the pacing off;
// swapWaits: the context's swaps wait for the refresh (TSglPanel::
// SwapSynchronised), which then pace the frames while they really wait.
FramePace ScrFramePace(bool swapWaits);
// The swap interval a new context asks for: 1 (wait for the refresh), or 0
// with the pacing off.
int ScrSwapInterval();
// On by default. Off only for the frame benchmark, which measures what the
// frames would cost uncapped.
void ScrSetFramePacing(bool on);
