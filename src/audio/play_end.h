// The one wait for a play to end.
#pragma once
#include <windows.h>
#include <mmsystem.h>

// Waits on `event` (signalled by the driver for every buffer done, and by anything else
// that shares it) until `last` is marked done or `timeoutMs` have passed since the call,
// handling the messages sent to the calling thread meanwhile (never its posted ones).
// True when it was done.
bool WaitUntilDone(HANDLE event, const WAVEHDR* last, DWORD timeoutMs);
