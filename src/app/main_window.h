// The hidden main window: the program's identity towards Skype and the handset library.
#pragma once
#include <windows.h>

// Private messages: the handset library's callbacks post their events to the main window,
// so that every event is handled on the main thread, in order.
enum {
    WM_APP_HANDSET_KEY = WM_APP + 1,  // wParam: the key code
    WM_APP_HANDSET_PLUG = WM_APP + 2, // wParam: connected, lParam: reserved
};

// Window class name; also the first key of the single-instance test.
extern const char kMainWindowClass[];

bool FindRunningInstance();
void RegisterMainWindowClass(HINSTANCE instance);
int CreateMainWindow(HINSTANCE instance, int showCommand);
// The value's text under HKCU\SOFTWARE\Skype\<subKey>, read in full whatever its length;
// empty when missing or unreadable. Never null; the caller frees it with free().
char* ReadSkypeRegistryValue(const char* valueName, const char* subKey);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
