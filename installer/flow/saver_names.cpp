#include "saver_names.h"

#include <cstring>

#include "common/text.h"

void BuildSaverKeyName(const char* saverFileName, char* keyName)
{
    CopyText(keyName, kSaverKeyNameSize, saverFileName);
    if (char* extension = std::strstr(keyName, ".scr"))
        *extension = '\0';
}
