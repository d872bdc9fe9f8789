// The control channel between the handset simulator and the processes that drive it.
// Requests are WM_COPYDATA messages to the simulator's control window: dwData is the
// command, the payload is text, wParam is the sender's reply window. The window procedure
// returns 1 when the request was carried out and 0 when it was refused (for example an event
// while nothing is bound). Requests with an answer send it back before returning, as one
// WM_COPYDATA to the reply window with the same dwData.
#pragma once

// Control window class; clients find the simulator by it (message-only window).
#define HANDSET_SIM_CONTROL_CLASS "UsbPhoneHandsetSimControl"

enum HandsetSimCommand {
    kSimCommandKey = 0x48530001,       // payload: decimal HandsetKey code
    kSimCommandPlug = 0x48530002,      // payload: decimal, nonzero = plugged in
    kSimCommandOpenResult = 0x48530003, // payload: decimal result of later USBPhone_Open calls
    kSimCommandState = 0x48530004,     // answer: "name=value" lines, lcdText last (rest of text)
    kSimCommandJournal = 0x48530005,   // answer: journal lines "<tid> <entry>", '\n' separated
    kSimCommandTimeline = 0x48530006,  // answer: "<qpc> <tid> <entry>" lines, oldest first; the
                                       // entries are journal lines and "Deliver key|plug N"
    kSimCommandProcess = 0x48530007,   // answer: the host process's own CPU and memory figures,
                                       // "cpu100ns=N\nprivate=N\nworkingSet=N\ncommitted=N\n
                                       // heapBusy=N" (bytes)
    kSimCommandEvents = 0x48530008,    // payload: "key N" / "plug N" lines, queued as one batch
                                       // (nothing of it is delivered before all is queued)
    kSimCommandDelivery = 0x48530009,  // payload: how events are delivered from now on:
                                       // "thread", "inline" or "threads:N" (sim_events.h)
};
