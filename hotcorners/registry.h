// The module's values in the user's registry: the corner setting, the
// options and the record of a screen-saver switch held off.
#pragma once
#include <windows.h>

// "Mouse Corners": four codes ('-', 'Y', 'N') in corner order.
void ReadCornerSettings(char codes[4]);
void WriteCornerSettings(const char codes[4]);

// The registry options "Quadrix Tray Icon" and "Quadrix Feedback".
extern const char kOptionTrayIcon[];
extern const char kOptionFeedback[];
int ReadOption(const char* name);
void WriteOption(const char* name, int value);

// The screen-saver switch as a service turns it off and on: the user's
// registry records that the service holds it off, before it does, so that
// a service killed meanwhile (or ended with the session) does not leave
// screen saving off for good.
void SetSaverSwitch(bool on);
// Turns the switch back on when the record says a service holds it off;
// for a caller that holds the service mutex and found no service (or is the
// service that starts). GiveBackSaverSwitch (service_client.h) looks first.
void GiveBackOrphanedSaverSwitch();
