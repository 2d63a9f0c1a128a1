#include "installer/flow/flow.h"

HINSTANCE gInstance;
