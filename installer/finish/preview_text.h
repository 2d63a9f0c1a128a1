// The Preview dialog's texts and status line, apart from its windows. No
// windows.h: also built natively.
#pragma once
#include <cstddef>
#include <cstdint>

// The status line and the two text fields of the dialog's state hold up to
// 260 characters, terminator included.
constexpr std::size_t kPreviewTextSize = 260;

// Writes "\"<saverPath>\" /p <previewHandle>" into out (size bytes): the
// saver's preview switch with the preview area's handle as a signed decimal.
// Returns false, leaving out empty, when the line would not fit: a cut line
// would start the saver with a wrong path or no handle at all.
bool FormatPreviewCommandLine(char* out, std::size_t size, const char* saverPath,
                              std::int32_t previewHandle);

// One tick's progress while the saver is coming up: appends ".." to the
// status line in line (size bytes) while the result stays below size - 2
// characters; then the line stays as it is.
void GrowWaitingDots(char* line, std::size_t size);

// Where the dialog stands, as its status line shows it.
enum class PreviewStatus {
    SettingUp,    // the dialog is up; the first tick has not come yet
    Waiting,      // the saver runs but is not yet idle for input
    Shown,        // the saver came up
    LaunchFailed, // the saver could not be started
    WaitFailed,   // waiting for the saver failed (it ended, for one)
};

// How one WaitForInputIdle call ended.
enum class IdleWait {
    Idle,    // 0
    Timeout, // WAIT_TIMEOUT
    Failed,  // anything else
};

// The state after the launch (the first tick) and after each wait.
PreviewStatus AfterLaunch(bool started);
PreviewStatus AfterWait(IdleWait wait);
// Whether the dialog still ticks and watches the saver in this state.
bool IsWatching(PreviewStatus status);
// The status line that a state starts with ("" while waiting: the dots grow
// from there).
const char* StatusText(PreviewStatus status);
