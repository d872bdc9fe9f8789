// A tone played with nothing of the player: what the key-tone benchmark takes as its floor,
// and what the playback test plays to see what the rig alone does to a stream.
#pragma once
#include <windows.h>
#include <mmsystem.h>

// The format and sound of WAVE `resourceId` of this program; false when it has none.
bool FindTone(UINT resourceId, const WAVEFORMATEX** format, const BYTE** samples, DWORD* bytes);

// Open on waveOut device `device`, the sound and the player's tail of silence written, the
// player's wait for the tail (at most 2 s), unprepare, close. False when nothing could be
// played (no tail for the format, or the device did not open); `tailDone`, when given, says
// whether the tail was reported done in time.
bool PlayBare(UINT device, const WAVEFORMATEX* format, const BYTE* samples, DWORD bytes,
              bool* tailDone);
