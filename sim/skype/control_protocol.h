// The control channel between skypesim.exe and its clients (tests, skypectl, the demo):
// names and framing shared by both sides.
//
// A request is a WM_COPYDATA sent to the simulator's control window: wParam = the client's
// reply window, dwData = kSimControlRequest, data = the request text (NUL-terminated).
// Before the send returns, the simulator sends one WM_COPYDATA back to the reply window:
// dwData = kSimControlReply, data = "OK\n<payload>" or "ERR <reason>\n". Payloads that hold
// several records (log entries, calls) end every record with a NUL byte.
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>

// Class of the simulator's message-only control window; clients find it with FindWindowEx.
#define SKYPESIM_CONTROL_CLASS "SkypeSimControl"

// A command held by the "hold" request: the simulator sets the first event when it has the
// command and waits, without pumping, until a client sets the second (at most
// kSimHoldLimitMs), as a busy Skype keeps its client waiting inside the send.
#define SKYPESIM_HELD_EVENT "SkypeSimCommandHeld"
#define SKYPESIM_RELEASE_EVENT "SkypeSimCommandRelease"
const DWORD kSimHoldLimitMs = 10000;

// A hung simulator ("hang <ms>") comes back early when a client sets this event: its control
// channel hangs with it, so a test that froze it thaws it this way.
#define SKYPESIM_THAW_EVENT "SkypeSimThaw"

const ULONG_PTR kSimControlRequest = 0x534B5251;  // "SKRQ"
const ULONG_PTR kSimControlReply = 0x534B5250;    // "SKRP"

// How window handles appear in the log and in replies ("0x1a2b"): handles fit in 32 bits on
// both Win32 and Win64, so the text is the same for a 32-bit and a 64-bit peer.
inline std::string HwndText(HWND window)
{
    char text[24];
    snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
    return text;
}

// Attach statuses in the log: the small values in decimal, 0x8001 (API available) in hex, as
// Skype's own material writes them.
inline std::string AttachStatusText(unsigned status)
{
    char text[16];
    snprintf(text, sizeof text, status < 0x100 ? "%u" : "0x%X", status);
    return text;
}
