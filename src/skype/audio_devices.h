// Tells Skype to use the handset's USB sound devices.
#pragma once
#include <windows.h>

// Sends "SET AUDIO_OUT <name>" then "SET AUDIO_IN <name>", always both.
void SelectSkypeAudioDevices();
// Chooses again and sends only what differs from what Skype was last told (devices came or
// went while Skype stayed attached).
void UpdateSkypeAudioDevices();
