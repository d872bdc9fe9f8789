// Skype's visible main window as the program sees it from outside: its class and title, a
// tab control that switches itself on Ctrl+Tab, the Unicode number field, a log and buttons.
#pragma once
#include <windows.h>

#include <string>

bool CreateMainForm(bool visible);

// Shows the window and brings it to the foreground (Skype's answer to "FOCUS"); with
// --focus-stays-behind only shows it, leaving the foreground where it is.
void ShowMainForm();

// Ctrl+Tab and Ctrl+Shift+Tab anywhere in the main window go to the tab control, as in the
// real window, whichever child has the focus. True when `message` was handled so.
bool RouteTabKeys(const MSG& message);

// The number field, as UTF-8.
std::string NumberFieldText();
void AppendToNumberField(char c);

// Selected tab index, or -1.
int SelectedTab();

void ShowLogLine(const std::string& line);
void ClearLogLines();
