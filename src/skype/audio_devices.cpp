// Tells Skype to use the handset's USB sound devices.
#include "skype/audio_devices.h"

#include <cstdio>

#include "skype/skype_link.h"

void SelectSkypeAudioDevices()
{
    std::string playback = ChoosePlaybackDevice(WaveOutDeviceNames());
    std::string recording = ChooseRecordingDevice(WaveInDeviceNames());
    char command[100];
    snprintf(command, sizeof command, "SET AUDIO_OUT %s", playback.c_str());
    SendSkypeCommand(command);
    snprintf(command, sizeof command, "SET AUDIO_IN %s", recording.c_str());
    SendSkypeCommand(command);
}
