// The hidden main window: the program's identity towards Skype and the handset library.
#pragma once
#include <windows.h>

// Window class name; also the first key of the single-instance test.
extern const char kMainWindowClass[];

// True when another copy of the program holds the instance mutex; takes it otherwise, for
// the rest of this process's life.
bool AnotherInstanceStarted();
// True when another copy's main window exists (class and title).
bool FindRunningInstance();
void RegisterMainWindowClass(HINSTANCE instance);
int CreateMainWindow(HINSTANCE instance, int showCommand);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
