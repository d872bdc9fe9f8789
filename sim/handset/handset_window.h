// The handset window for people (USBPHONE_SIM_WINDOW=1): the LCD, indicators, light and
// ringer, a keypad, a hook switch and a plug switch. Lives on the library's window thread.
#pragma once
#include <windows.h>

// True when the environment asks for the window.
bool HandsetWindowWanted();
// Creates and shows the window on the calling thread; null when that failed.
HWND CreateHandsetWindow();
// Destroys it (on the thread that created it).
void DestroyHandsetWindow();
// Asks the window to repaint from the current state; callable from any thread, never blocks.
void RefreshHandsetWindow();
