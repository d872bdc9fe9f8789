// Acting on Skype's own user interface from outside, where its desktop API has no command:
// finding its main window (kept in g_app.skypeMainWindow), bringing its tab control to the
// second tab, and emptying its number field. Nothing here is shown to the user.
#pragma once
#include <windows.h>

// Skype's main window, or null. Reuses the cached handle while it still names a window;
// otherwise searches the top-level windows of the thread that owns the Skype API window.
// Stores the result in g_app.skypeMainWindow.
HWND FindSkypeMainWindow();

// A Skype main window exists on the desktop, attached or not, shown or hidden: Skype runs.
bool SkypeIsRunning();

// Types Ctrl+Tab or Ctrl+Shift+Tab strokes that bring Skype's tab control from its current
// tab to tab 1, only while the foreground window belongs to Skype's process (keystrokes go
// to whatever window has the keyboard focus). Returns the tab control, or null when the main
// window or the tab control was not found.
HWND SelectSkypeSecondTab();

// Empties the first edit box of Skype's main window. Returns it, or null when the main window
// or an edit box was not found.
HWND ClearSkypeEditBox();

// The decisions, as plain functions.

// The name test for Skype's main window: its class name (a prefix, or the whole name of
// later versions) or its title (both as read).
bool IsSkypeMainWindowName(const char* className, const char* title);
// Tab control: the class name contains "PageControl". Edit box: the class name is "Edit".
bool IsSkypeTabControlClass(const char* className);
bool IsSkypeEditBoxClass(const char* className);
