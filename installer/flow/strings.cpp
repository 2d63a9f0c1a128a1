#include "common/text.h"
#include "installer/flow/flow.h"
#include "installer/resource.h"

static void LoadOrDefault(HINSTANCE instance, UINT id, char* buffer, int size, const char* fallback)
{
    if (LoadStringA(instance, id, buffer, size) == 0)
        CopyText(buffer, size, fallback);
}

void LoadSaverStrings(HINSTANCE instance, SaverStrings* strings)
{
    LoadOrDefault(instance, IDS_DESCRIPTIVE_NAME, strings->DescriptiveName,
                  sizeof strings->DescriptiveName, "screen saver");
    LoadOrDefault(instance, IDS_SAVER_FILE_NAME, strings->SaverFileName,
                  sizeof strings->SaverFileName, "unnamed.scr");
    // The title falls back to the file name as settled above.
    LoadOrDefault(instance, IDS_SAVER_TITLE, strings->SaverTitle, sizeof strings->SaverTitle,
                  strings->SaverFileName);
}
