// Tells Skype to use the handset's USB sound devices.
#include "skype/audio_devices.h"

#include <mmsystem.h>

#include <cstdio>

#include "audio/device_choice.h"
#include "skype/skype_link.h"

void SelectSkypeAudioDevices()
{
    char playback[MAXPNAMELEN];
    char recording[MAXPNAMELEN];
    ChosenPlaybackDevice(playback);
    ChosenRecordingDevice(recording);
    char command[100];
    snprintf(command, sizeof command, "SET AUDIO_OUT %s", playback);
    SendSkypeCommand(command);
    snprintf(command, sizeof command, "SET AUDIO_IN %s", recording);
    SendSkypeCommand(command);
}
