// Tells Skype to use the handset's USB sound devices, and follows what Skype made of it.
#pragma once
#include <windows.h>

// Sends "SET AUDIO_OUT <name>" then "SET AUDIO_IN <name>", always both (names in UTF-8, as
// Skype reads its commands).
void SelectSkypeAudioDevices();
// Chooses again and sends only what differs from what Skype was last asked for (devices came
// or went while Skype stayed attached).
void UpdateSkypeAudioDevices();
// Skype's answer to one of those: "AUDIO_OUT <name>" / "AUDIO_IN <name>" confirm a name,
// "ERROR 50" refuses the earliest one not yet answered. False for any other text.
bool ReadAudioDeviceReply(const char* text);
// A keep-alive tick: a refused device is chosen and asked for again, a bounded number of
// times (Skype may not list a USB sound device yet that Windows already has).
void RetryRefusedSkypeAudioDevices();
