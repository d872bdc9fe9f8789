// The link to Skype's desktop API: discovery, attachment, keep-alive and the command channel.
// It keeps the link's own state (Skype's API window, the unanswered PINGs) and reports what
// happened; what the rest of the program does about it is decided by the main window.
#pragma once
#include <windows.h>

#include "app/owned_text.h"

// Sends one command to Skype's API window (WM_COPYDATA, the NUL counted, dwData 0). Bounded:
// a hung Skype costs at most a few seconds. Goes nowhere while Skype is not attached.
void SendSkypeCommand(const char* text);

// "SkypeControlAPIDiscover" to every top-level window, with our window as wParam. Bounded per
// window, so a hung window elsewhere cannot stop the driver.
void SendDiscoverBroadcast();

// Skype's attach reply: true when it attached us (status 0); Skype's API window is then
// recorded, the unanswered PINGs counted from 0, and its main window looked up.
bool TakeAttachReply(WPARAM wParam, LPARAM lParam);

enum KeepAliveOutcome {
    kKeepAlivePinged,      // attached: a PING went out
    kKeepAliveNotAttached, // nothing to ping
    kKeepAliveLinkDropped, // too many PINGs unanswered: the link is dropped
    kKeepAliveSkypeGone,   // Skype's API window no longer exists: the link is dropped
};
// One keep-alive step (every 2 s).
KeepAliveOutcome KeepAliveTick();

// WM_COPYDATA: true when it comes from the attached Skype API window, with its text copied
// (never read past cbData, also without a NUL; empty when malformed); false, and nothing
// read, from anyone else.
bool ReadSkypeText(WPARAM wParam, LPARAM lParam, OwnedText* out);
// Skype answered a PING.
void TakePong();

// The window's bound on one command (ms) and on each window of the discovery broadcast.
enum { kCommandTimeoutMs = 3000, kBroadcastTimeoutMs = 1000 };
