// Stands in for the corner picker until it is built: nothing is loaded, so
// nothing is freed.
#include "hotcorners/quadrix.h"

void FreePickerResources() {}
