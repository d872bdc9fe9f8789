// The link to Skype's desktop API: discovery, attachment, keep-alive and the command channel.
// It keeps the link's own state (Skype's API window, the unanswered PINGs) and reports what
// happened; what the rest of the program does about it is decided by the main window.
#pragma once
#include <windows.h>

#include "core/owned_text.h"
#include "pure/attach_reply.h"

// Sends one command to Skype's API window (WM_COPYDATA, the NUL counted, dwData 0). Bounded:
// a hung Skype costs at most a few seconds. Goes nowhere while Skype is not attached.
void SendSkypeCommand(const char* text);
// A command about one call: `format` (a printf format with one %d) filled with `callId` in a
// 100-byte buffer, then sent as SendSkypeCommand sends.
void SendSkypeCallCommand(const char* format, int callId);

// "SkypeControlAPIDiscover" to every top-level window, with our window as wParam. Bounded per
// window, so a hung window elsewhere cannot stop the driver.
void SendDiscoverBroadcast();

// Skype's attach reply (lParam: the status, wParam: its API window), and what it changed.
// Attached: Skype's API window recorded, the unanswered PINGs counted from 0, its main window
// looked up. Asking or refused: no discovery for a while.
AttachReply ReadAttachReply(WPARAM wParam, LPARAM lParam);

// How many keep-alive ticks (2 s each) no discovery is sent while Skype asks its user whether
// to allow us, or after a refusal. Each discovery while its question is open opens another
// question; the limit covers a question dismissed without an answer.
enum { kDiscoveryPauseTicks = 30 };

enum KeepAliveOutcome {
    kKeepAlivePinged,      // attached: a PING went out
    kKeepAliveNotAttached, // nothing to ping: time for a discovery
    kKeepAliveWaiting,     // not attached, and Skype is not to be asked again yet
    kKeepAliveLinkDropped, // too many PINGs unanswered: the link is dropped
    kKeepAliveSkypeGone,   // Skype's API window no longer exists: the link is dropped
};
// One keep-alive step (every 2 s).
KeepAliveOutcome KeepAliveTick();

// True while Skype is not attached but the API window of a Skype dropped for not answering
// still exists: Skype runs (frozen, busy), holds its calls and may answer again.
bool SkypeIsSilent();

// WM_COPYDATA: true when it comes from the attached Skype API window, with its text copied
// (never read past cbData, also without a NUL; empty when malformed); false, and nothing
// read, from anyone else.
bool ReadSkypeText(WPARAM wParam, LPARAM lParam, OwnedText* out);
// Skype answered a PING: one fewer counts as unanswered.
void NotePong();

// The window's bound on one command (ms) and on each window of the discovery broadcast.
enum { kCommandTimeoutMs = 3000, kBroadcastTimeoutMs = 1000 };
