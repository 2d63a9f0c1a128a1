// What other processes ask of the running service: its private messages,
// the options it holds, and the screen-saver switch a lost one held off.
#pragma once
#include <windows.h>

// SendMessageA to the running service; 0 when none runs.
LRESULT SendToService(UINT message, WPARAM wParam, LPARAM lParam);

// The options, through the service when one runs, else the registry.
int GetShowIcon();
void SetShowIcon(int show);
int GetShowFeedback();
void SetShowFeedback(int show);

// True while a corner watch service runs in this session.
bool ServiceRuns();

// Turns the switch back on when the record says a service holds it off and
// none runs in this session any more (it was killed or its session ended).
// Called by a starting service, the settings dialog and the screen saver's
// calls.
void GiveBackSaverSwitch();
// The same, answering whether a service runs (the screen saver's
// System_Agent_Detect).
bool ServiceRunsElseGiveBack();
