// Names of window messages for the trace. No windows.h.
#pragma once

// "WM_PAINT", ...; "WM_????" for a message the table does not know.
const char* MessageName(unsigned message);
