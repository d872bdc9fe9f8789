// Placeholder until the window automation lands.
#include "skype/skype_window.h"

HWND FindSkypeMainWindow() { return nullptr; }
HWND SelectSkypeSecondTab() { return nullptr; }
HWND ClearSkypeEditBox() { return nullptr; }
