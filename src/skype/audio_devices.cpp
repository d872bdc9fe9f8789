// Tells Skype to use the handset's USB sound devices.
#include "skype/audio_devices.h"

#include <mmsystem.h>

#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "audio/device_choice.h"
#include "skype/skype_link.h"

namespace {
enum Send { kAlways, kWhenChanged };

void TellSkype(const char* keyword, const char* name, char* lastSent, Send send)
{
    if (send == kWhenChanged && strcmp(name, lastSent) == 0)
        return;
    lstrcpynA(lastSent, name, MAXPNAMELEN);
    char command[100];
    snprintf(command, sizeof command, "SET %s %s", keyword, name);
    SendSkypeCommand(command);
}

void TellSkypeDevices(Send send)
{
    char playback[MAXPNAMELEN];
    char recording[MAXPNAMELEN];
    ChosenPlaybackDevice(playback);
    ChosenRecordingDevice(recording);
    TellSkype("AUDIO_OUT", playback, g_app.skypeAudioOut, send);
    TellSkype("AUDIO_IN", recording, g_app.skypeAudioIn, send);
}
} // namespace

void SelectSkypeAudioDevices()
{
    TellSkypeDevices(kAlways);
}

void UpdateSkypeAudioDevices()
{
    TellSkypeDevices(kWhenChanged);
}
