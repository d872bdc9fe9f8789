// The key-tone entry points used by the key handling.
#include "audio/tones.h"

#include "audio/wave_out_player.h"
#include "core/app_state.h"

void PlayTone(UINT resourceId)
{
    // A fresh player per tone: nothing is cached, so a device plugged in since the last key
    // is found by the next one.
    WaveOutPlayer player;
    if (player.Load(resourceId))
        player.Play(false);
}

void PlayKeyToneByIndex(int index)
{
    if (index < 0 || index >= kKeyToneCount)
        return;
    PlayTone(g_app.keyToneTable[index]);
}
