// The silence after a tone and the wait for the end of a play.
#include "audio/play_end.h"

namespace {

// Zero bytes for the tail of any PCM format of 16 bits or more, up to 48 kHz stereo 32-bit
// (in .bss: it costs the executable nothing). Only ever read by the drivers.
BYTE g_silence[48000 * 2 * 4 * kTailSilenceMs / 1000];

bool IsDone(const WAVEHDR* header)
{
    // Written by the driver's own thread.
    return (*static_cast<const volatile DWORD*>(&header->dwFlags) & WHDR_DONE) != 0;
}

} // namespace

bool MakeTailSilence(const WAVEFORMATEX* format, WAVEHDR* tail)
{
    *tail = WAVEHDR();
    if (format->wFormatTag != WAVE_FORMAT_PCM || format->wBitsPerSample < 16 ||
        format->nBlockAlign == 0)
        return false;
    DWORD bytes = format->nAvgBytesPerSec / 1000 * kTailSilenceMs;
    if (bytes > sizeof g_silence)
        bytes = sizeof g_silence;
    bytes -= bytes % format->nBlockAlign;
    if (bytes == 0)
        return false;
    tail->lpData = reinterpret_cast<LPSTR>(g_silence);
    tail->dwBufferLength = bytes;
    return true;
}

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
