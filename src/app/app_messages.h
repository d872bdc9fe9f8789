// Private messages of the main window. The handset library's callbacks post their events, so
// that every event is handled on the main thread, in order.
#pragma once
#include <windows.h>

enum {
    WM_APP_HANDSET_KEY = WM_APP + 1,  // wParam: the key code
    WM_APP_HANDSET_PLUG = WM_APP + 2, // wParam: connected, lParam: reserved
    WM_APP_FIRST_DISCOVERY = WM_APP + 3,
    WM_APP_SKYPE_AVAILABLE = WM_APP + 4, // Skype announced its API: discover it
    WM_APP_TRAY_NOTIFY = WM_APP + 5,     // the tray callback, carried over to the loop
};
