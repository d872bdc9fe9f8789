// Recording fakes of the waveOut seam: nothing is played and nothing blocks.
#pragma once
// SharedLog() entries: "tone <WAVE id>" for each buffer written ("tone ?" when the buffer is
// not the sound data of a WAVE resource 133..147 of the running program). The write signals
// the callback event given to the open, so a player's wait for the tone ends at once. The
// other waveOut calls succeed silently.

// A driver that never reports the buffer done (the write neither flags it nor signals).
void FakeWaveOutSetSilentDriver(bool silent);
// Devices opened and not closed since the start.
int FakeWaveOutOpenDevices();
