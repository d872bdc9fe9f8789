// Waiting in tests, every wait bounded. A thread that owns no window polls (WaitUntil). A
// thread that owns windows keeps handling the messages sent to it while it waits (PumpFor,
// PumpUntil, WaitForExitPumping): the driver's discovery broadcast and the simulators'
// sends reach every top-level window, a thread's hidden ones too, and a sender must never be
// held up by a test that is waiting for that very sender.
#pragma once
#include <windows.h>

// Calls `condition` until it holds (true) or `timeoutMs` has passed (false), calling
// `pause(msLeft)` between the calls.
template <class Condition, class Pause>
bool PollUntil(Condition condition, DWORD timeoutMs, Pause pause)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        pause(timeoutMs - elapsed);
    }
}

// Polls `condition` every 10 ms until it holds or `timeoutMs` has passed.
template <class Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs)
{
    return PollUntil(condition, timeoutMs, [](DWORD) { Sleep(10); });
}

// Handles whatever is queued for this thread. TranslateMessage as in any message loop, so
// that keyboard input reaching a test's window arrives as it would in a program.
inline void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Handles this thread's messages (timers included) until `object` is signalled (true) or
// `ms` have passed (false). Without an object it pumps for the whole `ms`: a test's pause or
// quiet spell is never cut short by a message that arrives in it.
inline bool PumpWhileWaiting(HANDLE object, DWORD ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms)
            return object && WaitForSingleObject(object, 0) == WAIT_OBJECT_0;
        // With no handle, WAIT_OBJECT_0 means input arrived, not a signal.
        if (MsgWaitForMultipleObjects(object ? 1 : 0, &object, FALSE, ms - elapsed,
                                      QS_ALLINPUT) == WAIT_OBJECT_0 &&
            object)
            return true;
    }
}

inline void PumpFor(DWORD ms)
{
    (void)PumpWhileWaiting(nullptr, ms);
}

// Handles this thread's messages until `condition` holds or `timeoutMs` has passed. Messages
// are handled before each look at `condition`, which is looked at again as soon as one came
// (or every 5 ms, for what changes elsewhere).
template <class Condition>
bool PumpUntil(Condition condition, DWORD timeoutMs)
{
    const DWORD pollMs = 5;
    return PollUntil(
        [&] {
            PumpMessages();
            return condition();
        },
        timeoutMs,
        [&](DWORD msLeft) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, msLeft < pollMs ? msLeft : pollMs,
                                      QS_ALLINPUT);
        });
}

// Waits for `process` to end while handling this thread's messages (a program may send to
// our windows while it shuts down). Its exit code, or STILL_ACTIVE after `timeoutMs`.
inline DWORD WaitForExitPumping(HANDLE process, DWORD timeoutMs)
{
    DWORD code = STILL_ACTIVE;
    if (PumpWhileWaiting(process, timeoutMs))
        GetExitCodeProcess(process, &code);
    return code;
}
