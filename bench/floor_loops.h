// The floor under the paced saver: the plainest full-screen OpenGL loops
// paced at the display's rate, measured in the saver's own process so that
// its CPU share is a ratio of theirs. Straight on opengl32: no sgl layer, no
// saver window, no scene.
#pragma once

struct FloorFigures {
    bool ran = false;
    double cpuShare = 0; // of one core, 0 to 1 (every thread of the process)
    double fps = 0;
    double displayShare = -1; // the display server's, when it is named
};

// What a loop draws and what wakes it for the next frame.
enum class FloorLoop {
    EmptySleep, // clear and swap; Sleep to the next deadline
    EmptyTimer, // clear and swap in WM_PAINT; the saver's animation timer
                // asks for each frame, as the saver's frames are asked for
    PlainSleep, // the saver's default frame replayed in immediate mode
                // (recorded once from its walk); Sleep to the next deadline
};

// Runs the loop for a second of warm-up and then the given seconds, on a
// full-screen window of its own, and measures it. displayCpu: the display
// server's CPU seconds so far (-1 unknown).
FloorFigures MeasureFloorLoop(FloorLoop loop, unsigned seconds, double (*displayCpu)());

// The CPU seconds this process has used so far, every thread, kernel and user.
double ProcessCpu();
