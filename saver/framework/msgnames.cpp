#include "saver/framework/msgnames.h"

namespace {

struct MessageEntry {
    unsigned id;
    const char* name;
};

const MessageEntry kMessages[] = {
    {0x0001, "WM_CREATE"},        {0x0002, "WM_DESTROY"},       {0x0003, "WM_MOVE"},
    {0x0005, "WM_SIZE"},          {0x0006, "WM_ACTIVATE"},      {0x0007, "WM_SETFOCUS"},
    {0x0008, "WM_KILLFOCUS"},     {0x000A, "WM_ENABLE"},        {0x000F, "WM_PAINT"},
    {0x0010, "WM_CLOSE"},         {0x0012, "WM_QUIT"},          {0x0014, "WM_ERASEBKGND"},
    {0x0018, "WM_SHOWWINDOW"},    {0x001C, "WM_ACTIVATEAPP"},   {0x0020, "WM_SETCURSOR"},
    {0x0021, "WM_MOUSEACTIVATE"}, {0x0024, "WM_GETMINMAXINFO"}, {0x0046, "WM_WINDOWPOSCHANGING"},
    {0x0047, "WM_WINDOWPOSCHANGED"}, {0x007E, "WM_DISPLAYCHANGE"}, {0x0081, "WM_NCCREATE"},
    {0x0082, "WM_NCDESTROY"},     {0x0083, "WM_NCCALCSIZE"},    {0x0084, "WM_NCHITTEST"},
    {0x0085, "WM_NCPAINT"},       {0x0086, "WM_NCACTIVATE"},    {0x0100, "WM_KEYDOWN"},
    {0x0101, "WM_KEYUP"},         {0x0102, "WM_CHAR"},          {0x0104, "WM_SYSKEYDOWN"},
    {0x0105, "WM_SYSKEYUP"},      {0x0110, "WM_INITDIALOG"},    {0x0111, "WM_COMMAND"},
    {0x0112, "WM_SYSCOMMAND"},    {0x0113, "WM_TIMER"},         {0x0200, "WM_MOUSEMOVE"},
    {0x0201, "WM_LBUTTONDOWN"},   {0x0202, "WM_LBUTTONUP"},     {0x0204, "WM_RBUTTONDOWN"},
    {0x0205, "WM_RBUTTONUP"},     {0x0207, "WM_MBUTTONDOWN"},   {0x0208, "WM_MBUTTONUP"},
    {0x0210, "WM_PARENTNOTIFY"},  {0x0215, "WM_CAPTURECHANGED"},
};

} // namespace

const char* MessageName(unsigned message)
{
    for (const MessageEntry& entry : kMessages)
        if (entry.id == message)
            return entry.name;
    return "WM_????";
}
