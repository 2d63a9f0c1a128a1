#include "installer/finish/register_lines.h"

#include "common/text.h"

bool IsSaverLine(RegistrationLine line)
{
    return line == RegistrationLine::SaverDescription || line == RegistrationLine::SaverFile ||
           line == RegistrationLine::SaverSettings;
}

bool FormatRegistrationLine(RegistrationLine line, const RegistrationTexts& t, char* out,
                            std::size_t size)
{
    // No field is quoted: the uninstall support reads the description and
    // the item to the end of the line, blanks included.
    bool fits = false;
    switch (line) {
    case RegistrationLine::SaverDescription:
        fits = FormatText(out, size, "%s /desc %s %s", t.UninstallerPath, t.SaverFileName,
                          t.SaverTitle);
        break;
    case RegistrationLine::SaverFile:
        fits = FormatText(out, size, "%s /add %s %s", t.UninstallerPath, t.SaverFileName,
                          t.SaverPath);
        break;
    case RegistrationLine::SaverSettings:
        fits = FormatText(out, size, "%s /add %s *HKEY_CURRENT_USER\\Software\\glimmex\\%s",
                          t.UninstallerPath, t.SaverFileName, t.SaverKeyName);
        break;
    case RegistrationLine::HotCornersDescription:
        fits = FormatText(out, size, "%s /desc quadrix.dll Hot Corners", t.UninstallerPath);
        break;
    case RegistrationLine::HotCornersFile:
        fits = FormatText(out, size, "%s /add quadrix.dll %s", t.UninstallerPath,
                          t.HotCornersPath);
        break;
    case RegistrationLine::HotCornersCleanup:
        fits = FormatText(out, size, "%s /add quadrix.dll _cmd1 rundll32.exe %s,UninstallSilently",
                          t.UninstallerPath, t.HotCornersPath);
        break;
    case RegistrationLine::HotCornersPause:
        fits = FormatText(out, size, "%s /add quadrix.dll _cmd2 sleep 500", t.UninstallerPath);
        break;
    }
    if (!fits && size > 0)
        out[0] = '\0';
    return fits;
}
