#include "installer/instance.h"

HINSTANCE gInstance;
