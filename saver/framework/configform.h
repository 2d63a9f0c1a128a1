// TConfigForm: the configuration dialog (dialog resource "TCONFIGFORM").
#pragma once
#include "saver/framework/dialog.h"

class TConfigForm : public TScrDialog {
public:
    explicit TConfigForm(TScrMode kind);
    static TScrDialog* Make(TScrMode kind);
};
