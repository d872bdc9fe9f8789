// Skype's main window, acted on from outside where the desktop API has no command.
#pragma once
#include <windows.h>

HWND FindSkypeMainWindow();
HWND SelectSkypeSecondTab();
HWND ClearSkypeEditBox();
