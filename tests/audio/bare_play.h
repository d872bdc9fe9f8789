// A tone played with nothing of the player: what the key-tone benchmark takes as its floor,
// and what the playback test plays to see what the rig alone does to a stream.
#pragma once
#include <windows.h>
#include <mmsystem.h>

// The format and sound of WAVE `resourceId` of this program; false when it has none.
bool FindTone(UINT resourceId, const WAVEFORMATEX** format, const BYTE** samples, DWORD* bytes);

// Open on waveOut device `device`, prepare, write the sound and then `silenceMs` of silence,
// wait until the last of them is reported done (at most 2 s after the sound's length),
// unprepare, close. With no silence it is the floor of a key's wait for its tone; the output
// then loses what it has not played of the sound by the close, and more: a device that runs
// dry has Wine skip what it had not yet handed to the sound server. With a silence longer
// than the output's latency, the whole sound reaches the sink. False when nothing could be
// played (the device did not open); `done`, when given, says whether the end was reported in
// time.
bool PlayBare(UINT device, const WAVEFORMATEX* format, const BYTE* samples, DWORD bytes,
              DWORD silenceMs, bool* done);
