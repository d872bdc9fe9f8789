// The end of a tone: the silence written after it, and the one wait for a play to end.
#pragma once
#include <windows.h>
#include <mmsystem.h>

// Silence written after a tone. Wine (and Windows' shared-mode engine too) reports a buffer
// done once it has been handed to the sound server, not once it has been heard: measured
// under Wine and PulseAudio, up to 35 ms of it is still on its way then, and its
// waveOutGetPosition already reads the end of the buffer. Resetting or closing the device
// throws away whatever is still on its way, so the device is closed only after this silence
// is done: what is cut then is silence, not the tone.
const DWORD kTailSilenceMs = 50;

// Points `tail` (otherwise zeroed) at kTailSilenceMs of silence in `format`. False when
// that cannot be given as zero bytes (8-bit PCM centres on 0x80, other codecs have no
// plain silence): the tone is then played without a tail.
bool MakeTailSilence(const WAVEFORMATEX* format, WAVEHDR* tail);

// Waits on `event` (signalled by the driver for every buffer done, and by anything else
// that shares it) until `last` is marked done or `timeoutMs` have passed since the call,
// handling the messages sent to the calling thread meanwhile (never its posted ones).
// True when it was done.
bool WaitUntilDone(HANDLE event, const WAVEHDR* last, DWORD timeoutMs);
