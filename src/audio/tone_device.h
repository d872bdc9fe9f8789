// The key tones' output device: opened by the first tone, held open from tone to tone, closed
// once no tone has played for a while.
#pragma once
#include <windows.h>
#include <mmsystem.h>

// The callback event of every play, shared by name with every player of the program (and by
// any other copy of it).
extern const char kToneEventName[];

// How long the device stays open after a tone was done. A driver reports a buffer done once
// it has handed it on, not once it has been heard: under Wine and PulseAudio the whole output
// latency (measured from 35 ms to well over 100 ms, depending on the sound server's buffers)
// is still to play then, and closing the device throws it away. Closed only after this quiet
// time, the device can only cut silence, whatever the latency; and a key waits for its own
// tone and nothing more.
const DWORD kToneQuietMs = 1500;

// Plays `header` (its data in `format`) on waveOut device `device` and returns when the
// driver reports it done, or after `waitMs` (then the device counts as failed and is closed).
// The held device is used when it is that device with that format and still works; else it
// is closed and the device opened anew. The header is prepared here and unprepared before
// the return, so it may go once the call returns. Messages sent to the calling thread are
// handled meanwhile, never its posted ones (see WaitUntilDone). Returns the first failing
// waveOut code, else 0.
MMRESULT PlayOnToneDevice(UINT device, const WAVEFORMATEX* format, WAVEHDR* header,
                          DWORD waitMs);

// Closes the held device once kToneQuietMs have passed since the last tone was done (by the
// seam's clock). Called on a timer that runs anyway: a held device costs no wake-up of its own.
void CloseToneDeviceWhenQuiet();
// Closes the held device now: the sound devices changed, or the program ends.
void CloseToneDevice();
// True while a device is held.
bool ToneDeviceOpen();
