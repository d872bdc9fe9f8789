// A tone played with nothing of the player: what the key-tone benchmark takes as its floor,
// and what the playback test plays to see what the rig alone does to a stream.
#pragma once
#include <windows.h>
#include <mmsystem.h>

// The format and sound of WAVE `resourceId` of this program; false when it has none.
bool FindTone(UINT resourceId, const WAVEFORMATEX** format, const BYTE** samples, DWORD* bytes);

// Open on waveOut device `device`, prepare, write the sound, wait for it to be reported done
// (at most 2 s), then `holdMs` more with the device still open, unprepare, close. With
// `holdMs` 0 it is the floor of a key's wait for its tone (and the output cuts what it still
// holds of the sound); with a hold longer than the output's latency, the sound plays out
// before the close. False when nothing could be played (the device did not open); `done`,
// when given, says whether the sound was reported done in time.
bool PlayBare(UINT device, const WAVEFORMATEX* format, const BYTE* samples, DWORD bytes,
              DWORD holdMs, bool* done);
