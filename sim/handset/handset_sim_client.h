// Drives the handset simulator (KVLIB.DLL) loaded in some process, through its control
// window: inject key and plug events, set what USBPhone_Open returns, read the handset's
// state and the journal of the library calls. Every call is bounded by a few seconds.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The control window of the simulator loaded in process `pid` (0: any process), polled until
// `timeoutMs` has passed. Null when none appeared. It exists from the first USBPhone_Open or
// USBPhone_Bind until USBPhone_Close.
HWND FindHandsetSim(DWORD pid, DWORD timeoutMs);

// Queue a key (a HandsetKey code, any value) or a plug event (connected nonzero = plugged in)
// for delivery through the bound callbacks. False when the simulator dropped it (nothing
// bound yet, or closed) or did not answer. As real hardware, an unplugged handset reports no
// key (its hook still moves), and unplugging it blanks its display, light and ringer.
bool HandsetSimKey(HWND sim, int code);
bool HandsetSimPlug(HWND sim, int connected);

// Several events queued as one batch: none of them is delivered before all are queued.
struct HandsetSimEvent {
    bool plug;  // a plug event (value: connected), else a key (value: the code)
    int value;
};
bool HandsetSimEvents(HWND sim, const std::vector<HandsetSimEvent>& events);

// How the library delivers events from now on: "thread" (one thread of its own, the
// default), "inline" (from inside the program's next USBPhone_Ring, _Light or _DisplayLCD
// call, on the program's thread) or "threads:N" (N threads of its own at once; the n-th
// event queued from now on goes to thread n mod N, and each thread keeps its order).
bool HandsetSimSetDelivery(HWND sim, const char* mode);

// What later USBPhone_Open calls return (0: the handset is present).
bool HandsetSimSetOpenResult(HWND sim, int result);

struct HandsetSimState {
    DWORD pid = 0;          // process the simulator runs in
    bool opened = false;    // USBPhone_Open called (and not closed since)
    bool bound = false;     // USBPhone_Bind called (and not closed since)
    bool closed = false;    // USBPhone_Close called
    bool connected = false; // handset plugged in (Open's result 0, then plug events)
    int openResult = 0;     // what USBPhone_Open returns
    int lcdMode = -1;       // mode of the last USBPhone_DisplayLCD, -1 before any
    std::string lcdText;    // LCD text line (last mode 3/4 text; mode 0 clears)
    bool inCall = false;    // in-call indicator (mode 1)
    bool skype = false;     // Skype indicator (mode 2)
    bool light = false;     // USBPhone_Light
    bool ringing = false;   // USBPhone_Ring
    int hook = -1;          // where the hook is: 1 put down (70), 0 lifted (80); it moves
                            // also while unplugged, when the handset reports nothing
    unsigned eventsDelivered = 0; // callbacks made
    unsigned eventsDropped = 0;   // events refused or not delivered
    unsigned stackFaults = 0;     // i686: callbacks that did not remove their arguments
    unsigned eventsInline = 0;    // callbacks made from inside an entry point
    unsigned callbacksOverlap = 0; // the most callbacks that were ever in flight at once
    size_t lcdLongest = 0;        // the longest text ever passed to USBPhone_DisplayLCD
};

// Reads the state; false when the simulator did not answer.
bool HandsetSimGetState(HWND sim, HandsetSimState* out);

// The journal of every library call so far, in order: "<thread id> <entry>". Empty when the
// simulator did not answer.
std::vector<std::string> HandsetSimJournal(HWND sim);

// The simulator's timeline: its last 256 journal lines and callback deliveries ("<tid>
// Deliver key N", stamped just before the callback is called), each with the
// QueryPerformanceCounter value of when it happened. Empty when the simulator did not answer.
struct HandsetSimTimed {
    long long qpc = 0;
    std::string entry; // "<tid> <entry>"
};
std::vector<HandsetSimTimed> HandsetSimTimeline(HWND sim);

// The CPU time and memory of the process the simulator runs in, as that process reads them
// itself. False when the simulator did not answer.
struct HandsetSimProcess {
    unsigned long long cpu100ns = 0; // kernel + user time, 100 ns units
    unsigned long long privateBytes = 0;
    unsigned long long workingSet = 0;
    unsigned long long committed = 0; // committed private regions (VirtualQuery)
    unsigned long long heapBusy = 0;  // bytes in use in all heaps (HeapWalk)
};
bool HandsetSimProcessFigures(HWND sim, HandsetSimProcess* out);

// The journal file written when USBPHONE_SIM_JOURNAL names it (same lines, plus
// "<tid> Unload" when the library was released). Empty when it cannot be read.
std::vector<std::string> ReadHandsetJournalFile(const std::string& path);

// Parses the simulator's state answer; exposed for tools that print it.
bool ParseHandsetSimState(const std::string& text, HandsetSimState* out);
// The state answer as the simulator sent it ("name=value" lines, lcdText last).
bool HandsetSimStateText(HWND sim, std::string* text);
