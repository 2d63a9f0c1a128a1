// orbelle.scr: the screen saver program. The owner object holds the
// controller and names the program's form classes.
#include <windows.h>

#include "saver/config/configform.h"
#include "saver/config/registry.h"
#include "saver/framework/control.h"
#include "saver/framework/saverform.h"
#include "saver/framework/trace.h"

namespace {

class TMainForm {
public:
    TMainForm()
    {
        ScrRegisterFormClass("TSaverForm", &TSaverForm::Make);
        ScrRegisterDialogClass("TConfigForm", &TConfigForm::Make);
        control_.DebugLevel = dlRelease;
        control_.Options = scoHandleInput | scoHandlePanelsAlso | scoAboutMenuItem |
                           scoCheckActivePassword | scoActiveDragging;
        control_.FormFullScreen = "TSaverForm";
        control_.FormPreview = "TSaverForm";
        control_.FormConfig = "TConfigForm";
        control_.PrepareValues = &InitialiseRegistry;
    }
    int Run() { return control_.Run(); }

private:
    TScrControl control_;
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ScrTraceFromEnvironment();
    TMainForm owner;
    return owner.Run();
}
