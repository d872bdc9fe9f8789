// The library's window thread: it owns the control window through which other processes
// drive the simulator, and the handset window for people when USBPHONE_SIM_WINDOW=1.
#pragma once

// Starts the thread and waits until its windows exist. True when it runs.
bool StartWindowThread();
// Destroys the windows and ends the thread (waits, unless called on that thread).
void StopWindowThread();
