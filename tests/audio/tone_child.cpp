// Plays one key tone and reports how many waveOut devices it saw: exit code 100 + count.
// audio_play_test starts it with no sound server reachable.
#include <cstdlib>

#include <windows.h>
#include <mmsystem.h>

#include "audio/tones.h"

int main(int argc, char** argv)
{
    PlayTone(argc > 1 ? UINT(std::atoi(argv[1])) : 138);
    return 100 + int(waveOutGetNumDevs());
}
