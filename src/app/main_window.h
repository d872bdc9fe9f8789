// The hidden main window: the program's identity towards Skype and the handset library.
#pragma once
#include <windows.h>

#include "app/owned_text.h"

// Window class name; also the first key of the single-instance test.
extern const char kMainWindowClass[];

// True when another copy of the program holds the instance mutex; takes it otherwise, for
// the rest of this process's life.
bool AnotherInstanceStarted();
// True when another copy's main window exists (class and title).
bool FindRunningInstance();
void RegisterMainWindowClass(HINSTANCE instance);
int CreateMainWindow(HINSTANCE instance, int showCommand);

// The value's text under HKCU\SOFTWARE\Skype\<subKey>, read in full whatever its length,
// with a REG_EXPAND_SZ value's %variables% expanded; empty when missing or unreadable.
OwnedText ReadSkypeRegistryValue(const char* valueName, const char* subKey);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
