// The running service as other processes reach it: found in the service
// slot, asked with a bounded wait, and stood in for by the registry when it
// does not answer.
#include "hotcorners/service_client.h"

#include "hotcorners/quadrix.h"
#include "hotcorners/registry.h"
#include "hotcorners/shared_block.h"

namespace {

// The service answers its private messages at once when it answers at all.
constexpr UINT kServiceAnswerMs = 2000;

bool AskService(HWND service, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(service, message, wParam, lParam, SMTO_ABORTIFHUNG,
                             kServiceAnswerMs, &result))
        return false;
    *answer = static_cast<LRESULT>(result);
    return true;
}

// A service that does not answer counts as none: the registry holds what
// it would read at its next start.
int GetOption(HotCornersCode code, const char* name)
{
    LRESULT answer = 0;
    ServiceSlot slot;
    return slot.Window() && AskService(slot.Window(), WM_HOTCORNERS, code, 0, &answer)
               ? (answer ? 1 : 0)
               : ReadOption(name);
}

void SetOption(HotCornersCode code, const char* name, int show)
{
    show = show ? 1 : 0;
    LRESULT answer = 0;
    ServiceSlot slot;
    if (!slot.Window() || !AskService(slot.Window(), WM_HOTCORNERS, code, show, &answer))
        WriteOption(name, show);
}

} // namespace

LRESULT SendToService(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    ServiceSlot slot;
    if (slot.Window() && !AskService(slot.Window(), message, wParam, lParam, &result))
        result = 0;
    return result;
}

int GetShowIcon() { return GetOption(HC_GET_ICON, kOptionTrayIcon); }
void SetShowIcon(int show) { SetOption(HC_SET_ICON, kOptionTrayIcon, show); }
int GetShowFeedback() { return GetOption(HC_GET_FEEDBACK, kOptionFeedback); }
void SetShowFeedback(int show) { SetOption(HC_SET_FEEDBACK, kOptionFeedback, show); }

bool ServiceRuns()
{
    ServiceSlot slot;
    return slot.Window() != nullptr;
}

bool ServiceRunsElseGiveBack()
{
    // Under the service mutex: no service can start and hold it off between
    // the look and the change.
    ServiceSlot slot;
    bool running = slot.Window() != nullptr;
    if (!running && slot.Held())
        GiveBackOrphanedSaverSwitch();
    return running;
}

void GiveBackSaverSwitch()
{
    ServiceRunsElseGiveBack();
}
