// TConfigForm until the settings dialog lands: a small dialog with OK and
// Cancel that says so.
#include "saver/framework/configform.h"

#include <new>

TConfigForm::TConfigForm(TScrMode kind) : TScrDialog(kind, "TCONFIGFORM")
{
}

TScrDialog* TConfigForm::Make(TScrMode kind)
{
    return new (std::nothrow) TConfigForm(kind);
}
