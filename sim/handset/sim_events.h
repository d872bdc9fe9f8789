// Key and plug events: queued by the control channel and the handset window, delivered in
// order by the library's event thread through the bound callbacks.
#pragma once

// Starts the event thread unless it runs. False when it could not be started.
bool StartEventThread();
// Drops what is still queued and ends the event thread, waiting for it unless called from a
// callback on that thread. Call after the device is marked closed.
void StopEventThread();

// Queue one event. False (and nothing queued) while nothing is bound or after Close.
bool QueueKeyEvent(int code);
bool QueuePlugEvent(int connected);
