#include "installer/finish/finish.h"

void ActivateSaver(const char*)
{
}

void ShowPreviewDialog(HWND, const char*)
{
}
