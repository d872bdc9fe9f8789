// Real bodies of the device-name part of the platform seam: an object of its own, so that a
// program with its own waveOut seam bodies (the tone benchmark) can still take these.
#include "platform/seam.h"

UINT SeamWaveOutGetNumDevs()
{
    return waveOutGetNumDevs();
}

MMRESULT SeamWaveOutGetDevCaps(UINT device, WAVEOUTCAPSW* caps)
{
    return waveOutGetDevCapsW(device, caps, sizeof *caps);
}

UINT SeamWaveInGetNumDevs()
{
    return waveInGetNumDevs();
}

MMRESULT SeamWaveInGetDevCaps(UINT device, WAVEINCAPSW* caps)
{
    return waveInGetDevCapsW(device, caps, sizeof *caps);
}
