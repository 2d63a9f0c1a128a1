// The runtime's C functions take the C library's own names in the shipped
// programs. The native tests build the same sources with ORBELLE_CRT_PREFIX
// set, so that each function gets a "crt_" name beside the host library's.
#pragma once

#if defined(ORBELLE_CRT_PREFIX)
#define CRT_NAME(name) crt_##name
#else
#define CRT_NAME(name) name
#endif
