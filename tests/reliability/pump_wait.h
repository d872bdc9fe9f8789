// Waiting in the suite: the test thread keeps handling the messages sent to it meanwhile (the
// driver's discovery broadcast reaches every top-level window, a thread's hidden ones too),
// so that a waiting test never holds the driver up.
#pragma once
#include <windows.h>

// Handles whatever is queued for this thread, then waits up to `ms` for more.
inline void PumpFor(DWORD ms)
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (ms)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
}

// Polls `condition` every few milliseconds, pumping, until it holds or `timeoutMs` passed.
template <class Condition>
bool PumpUntil(Condition condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        PumpFor(5);
    }
}
