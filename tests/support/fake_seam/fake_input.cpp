// Recording fakes of the keystroke and pause seam: nothing is typed, nothing sleeps.
#include "fake_input.h"

#include "app/seam.h"
#include "event_log.h"

void SeamKeybdEvent(BYTE virtualKey, DWORD flags)
{
    SharedLog().Add(Format("key %u %s", unsigned(virtualKey),
                           (flags & KEYEVENTF_KEYUP) ? "up" : "down"));
}

void SeamPause(DWORD milliseconds)
{
    SharedLog().Add(Format("pause %lu", static_cast<unsigned long>(milliseconds)));
}
