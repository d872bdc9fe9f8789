// Run by CTest with PULSE_SERVER naming a socket that does not exist, so that Wine has no
// audio device at all: PlayTone must return quietly (no hang, no crash, nothing shown).
// Exit code 0 when it did and no device was seen; 1 otherwise.
#include <cstdio>

#include <windows.h>
#include <mmsystem.h>

#include "audio/tones.h"

int main()
{
    // The first call loads Wine's audio drivers; that is not the tone's time.
    (void)waveOutGetNumDevs();
    DWORD start = GetTickCount();
    PlayTone(138);
    PlayTone(147);
    DWORD took = GetTickCount() - start;
    UINT devices = waveOutGetNumDevs();
    printf("waveOut devices: %u; two PlayTone calls took %lu ms\n", devices,
           static_cast<unsigned long>(took));
    // Without a device there is nothing to open or wait for: well under a tone's grace time.
    return devices == 0 && took < 1000 ? 0 : 1;
}
