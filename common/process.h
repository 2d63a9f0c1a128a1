// Starting a child process and waiting for its end.
#pragma once

// Runs commandLine (writable, as CreateProcessA wants it; the program is its
// first token) with the caller's environment and current directory, and
// waits for the child to end; there is no time-out. Returns 1 when the child
// was started and has ended, 0 when it could not be started (the reason left
// for GetLastError). The child's exit code is not read.
int RunAndWait(char* commandLine);
