// The link to Skype's desktop API: discovery, attachment, keep-alive and the command channel.
#pragma once
#include <windows.h>

// Sends one command to Skype's API window (WM_COPYDATA, the NUL counted, dwData 0). Bounded:
// a hung Skype costs at most a few seconds. Goes nowhere while Skype is not attached.
void SendSkypeCommand(const char* text);

// "SkypeControlAPIDiscover" to every top-level window, with our window as wParam. Bounded per
// window, so a hung window elsewhere cannot stop the driver.
void SendDiscoverBroadcast();

// Main-window handlers. The attach message always answers 1; WM_COPYDATA answers 0 unless it
// comes from the attached Skype API window.
LRESULT OnAttachMessage(WPARAM wParam, LPARAM lParam);
void OnKeepAliveTick();
LRESULT OnSkypeCopyData(WPARAM wParam, LPARAM lParam);

// The window's bound on one command (ms) and on each window of the discovery broadcast.
enum { kCommandTimeoutMs = 3000, kBroadcastTimeoutMs = 1000 };
