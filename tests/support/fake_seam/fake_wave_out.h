// Recording fakes of the waveOut seam: nothing is played and nothing blocks.
#pragma once
// SharedLog() entries: "tone <WAVE id>" for each buffer written but silence ("tone ?" when
// the buffer is not the sound data of a WAVE resource 133..147 of the running program). The
// write marks the buffer done and signals the callback event given to the open, so a player's
// wait for the tone ends at once. The other waveOut calls succeed silently.
#include <windows.h>

// A driver that never reports the buffer done (the write neither flags it nor signals).
void FakeWaveOutSetSilentDriver(bool silent);
// Devices opened and not closed since the start.
int FakeWaveOutOpenDevices();

// The output device taken away, as a sink unloaded under Wine and PulseAudio: opens fail with
// MMSYSERR_NOTENABLED, and a device opened before stays dead even once it is back (its pause
// fails, its writes succeed and are never done), as Wine's is once the sound server has
// dropped its stream.
void FakeWaveOutUnplug();
// Back again: new opens succeed.
void FakeWaveOutPlug();
// The device id of the last open, and how many opens succeeded since the start.
UINT FakeWaveOutLastOpenedDevice();
int FakeWaveOutOpens();
