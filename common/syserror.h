// The system's message text for the calling thread's last error.
#pragma once

// Fills buffer (size bytes) with the system text for GetLastError(),
// trailing line break included, and returns the number of characters
// stored. When the system has no text the buffer is left empty and 0 is
// returned. Call it directly after the failing operation.
int GetSystemErrorText(char* buffer, int size);
