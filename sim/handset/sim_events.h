// Key and plug events: queued by the control channel and the handset window, delivered in
// order through the bound callbacks, the way the delivery mode says.
#pragma once

#include <string>
#include <vector>

// How queued events reach the program. Vendor libraries differ here, and a program must
// cope with each of them.
enum SimDeliveryMode {
    kDeliverFromEventThread, // one thread of the library's own, in queue order (the default)
    kDeliverInline,          // synchronously, on the caller's thread, from inside the
                             // program's next call of USBPhone_Ring, _Light or _DisplayLCD:
                             // everything queued by then, in queue order
    kDeliverFromThreads,     // several threads of the library's own at once: event n of the
                             // queue goes to thread n mod count, each thread keeps its order
};
enum { kMaxDeliveryThreads = 8 };

struct SimEvent {
    bool plug;
    int value;
};

// Starts the event thread unless it runs. False when it could not be started.
bool StartEventThread();
// Drops what is still queued, waits for callbacks in flight on other threads, and ends the
// library's delivery threads (waiting for them unless called from one). Call after the
// device is marked closed.
void StopEventThread();

// Queue events. False (and nothing queued) while nothing is bound or after Close. A batch is
// queued as a whole before any of it is delivered.
bool QueueKeyEvent(int code);
bool QueuePlugEvent(int connected);
bool QueueEvents(const std::vector<SimEvent>& events);

// Switches the delivery mode; `threads` (2 to kMaxDeliveryThreads) for kDeliverFromThreads.
// Events still queued are dealt out again under the new mode. False on a bad request.
bool SetDeliveryMode(SimDeliveryMode mode, int threads);
// "thread", "inline" or "threads:N".
std::string DeliveryModeText();
// Parses that text; false when it is not one of them.
bool ParseDeliveryMode(const std::string& text, SimDeliveryMode* mode, int* threads);

// Called at the end of the entry points the program calls while it runs: in the inline
// mode, delivers what is queued before returning to the program.
void DeliverInline();
