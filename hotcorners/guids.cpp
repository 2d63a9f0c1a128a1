// The interface and class ids the module uses, defined here from the system
// headers. Each is its own selectable constant, so the linker keeps only
// those in use; the import library of ids would bring all of them along
// (about 40 KB in a 32-bit build).
#include <initguid.h>

#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
