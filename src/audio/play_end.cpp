// The wait for the end of a play.
#include "audio/play_end.h"

namespace {

bool IsDone(const WAVEHDR* header)
{
    // Written by the driver's own thread.
    return (*static_cast<const volatile DWORD*>(&header->dwFlags) & WHDR_DONE) != 0;
}

} // namespace

bool WaitUntilDone(HANDLE event, const WAVEHDR* last, DWORD timeoutMs)
{
    // The event is shared by name with every other player: a signal may belong to another
    // play, or to an earlier buffer of this one, so the flag decides, not the signal.
    DWORD start = GetTickCount();
    while (!IsDone(last)) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return IsDone(last);
        // Messages sent to this thread are handled while the tone plays: Skype's
        // notifications are sends, and its thread waits for our answer. Posted messages (the
        // handset's next keys among them) stay queued, so keys are still handled in order.
        if (MsgWaitForMultipleObjects(1, &event, FALSE, timeoutMs - elapsed, QS_SENDMESSAGE) ==
            WAIT_OBJECT_0 + 1) {
            MSG message;
            (void)PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
    return true;
}
