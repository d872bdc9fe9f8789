// The About dialog: one at a time.
#pragma once
#include <windows.h>

void ShowAboutDialog();
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
