// The saver's trace: lines with a level, to the debugger output and, when
// the environment variable ORBELLE_TRACE names a file, appended to that file
// too (a diagnostic target for tests and support; without the variable
// nothing is written anywhere but the debugger output).
#pragma once
#include "common/text.h"

enum TScrTraceLevel { tlAll = 0, tlMsg = 1, tlUsr = 2, tlErr = 3, tlNone = 4 };

// The environment variable that names the trace file.
constexpr const char* kTraceFileVariable = "ORBELLE_TRACE";

// Lines below level are dropped; tlNone drops all. Default tlErr.
void ScrSetTraceLevel(TScrTraceLevel level);
TScrTraceLevel ScrTraceLevel();
// Reads ORBELLE_TRACE; with a file named, the level is lowered to tlUsr so
// that the file shows the framework's steps and the frames drawn.
void ScrTraceFromEnvironment();
// Sends the trace to path as well (null or "" stops the file target).
void ScrTraceToFile(const char* path);
bool ScrTraceFileActive();

// One line (at most 1024 characters, cut beyond) at the level.
void ScrDebug(TScrTraceLevel level, const char* format, ...) TEXT_FORMAT(2, 3);
