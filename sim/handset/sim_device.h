// The simulated handset: what it shows, what is bound, and the journal of library calls.
// Shared by the entry points (program threads), the event thread and the window thread.
#pragma once
#include <windows.h>

#include <string>

#include "lcd_request.h"

struct SimDeviceState {
    bool opened = false;     // USBPhone_Open called since load or the last Close
    bool bound = false;      // USBPhone_Bind called since then
    bool closed = false;     // USBPhone_Close called (cleared by a later Open)
    bool connected = false;  // handset plugged in
    int openResult = 0;      // what USBPhone_Open returns
    int lcdMode = -1;        // mode of the last display request, -1 before any
    std::string lcdText;     // the text line (modes 3 and 4)
    bool inCall = false;     // in-call indicator (mode 1)
    bool skype = false;      // Skype indicator (mode 2)
    bool light = false;
    bool ringing = false;
    int hook = -1;           // where the hook is: 1 down (70), 0 lifted (80), -1 not moved
                             // yet; it moves also while unplugged, reporting nothing then
    unsigned eventsDelivered = 0;
    unsigned eventsDropped = 0;
    unsigned stackFaults = 0; // callbacks that did not remove their own arguments (i686)
    unsigned eventsInline = 0;     // callbacks made from inside an entry point (inline mode)
    unsigned callbacksRunning = 0; // callbacks in flight right now
    unsigned callbacksOverlap = 0; // the most callbacks ever in flight at once
    size_t lcdLongest = 0;         // the longest text ever passed to USBPhone_DisplayLCD
    HandsetKeyCallback keyCallback = nullptr;
    HandsetPlugCallback plugCallback = nullptr;
};

// The module, set at process attach.
extern HMODULE g_simModule;

// Process-wide setup and teardown, from DllMain (no threads, no waits). `unloading` is true
// for FreeLibrary, false at process exit (when other threads may have died holding the lock).
void SimDeviceAttach();
void SimDeviceDetach(bool unloading);

// Runs `fn(state)` under the device lock.
class SimDeviceLock {
public:
    SimDeviceLock();
    ~SimDeviceLock();
    SimDeviceLock(const SimDeviceLock&) = delete;
    SimDeviceLock& operator=(const SimDeviceLock&) = delete;
    SimDeviceState& state();
};

// A thread of the library's own. It holds a reference on the module until it ends, so that
// a FreeLibrary without USBPhone_Close cannot unmap code it is running.
HANDLE StartSimThread(LPTHREAD_START_ROUTINE start, void* parameter, DWORD* threadId);
// The last call of such a thread: drops its reference and ends it.
__attribute__((noreturn)) void EndSimThread();

// The journal: every entry-point call as "<tid> <entry>", appended to the file named by
// USBPHONE_SIM_JOURNAL when that is set, and kept in memory: the last 4096 lines, or the last
// USBPHONE_SIM_JOURNAL_MEMORY lines when that is set (0 keeps none), so that a long run does
// not grow the host process. The file stays complete.
void JournalAdd(const std::string& entry);
std::string JournalText();

// The timeline: the last kTimelineSize journal lines and callback deliveries, each with the
// QueryPerformanceCounter value of when it happened (one clock for every process on the
// machine), in fixed storage. Lines "<qpc> <tid> <entry>", oldest first.
enum { kTimelineSize = 256, kTimelineTextSize = 120 };
void TimelineAdd(const std::string& line);
std::string TimelineText();

// The handset lost power (unplugged): its display goes blank, its light and ringer go off.
// It remembers nothing of what it showed. Under the device lock.
void PowerOff(SimDeviceState& state);

// Tells the handset window (when shown) that the state changed. Never blocks.
void NotifyStateChanged();

// printf into a std::string.
std::string SimFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// `text` quoted for a journal line: backslash, quote and control bytes escaped, so that one
// call stays one line whatever the program shows.
std::string QuoteText(const char* text);
