// Registration with the uninstall support: one unglimex.exe run per fact,
// each waited for before the next line is formatted.
#include "common/process.h"
#include "installer/finish/finish.h"
#include "installer/finish/register_lines.h"

void RegisterProducts(const RegistrationNames& names, bool saverInstalled, bool hotCornersSetUp,
                      char* commandBuffer, std::size_t commandSize)
{
    RegistrationTexts texts = {names.UninstallerPath, names.SaverFileName, names.SaverTitle,
                               names.SaverPath,       names.SaverKeyName,  names.HotCornersPath};
    for (int index = 0; index < kRegistrationLineCount; ++index) {
        RegistrationLine line = static_cast<RegistrationLine>(index);
        if (!(IsSaverLine(line) ? saverInstalled : hotCornersSetUp))
            continue;
        // A line that cannot start is skipped; the next one still runs.
        if (FormatRegistrationLine(line, texts, commandBuffer, commandSize))
            RunAndWait(commandBuffer);
    }
}
