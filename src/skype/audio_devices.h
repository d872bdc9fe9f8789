// Tells Skype to use the handset's USB sound devices.
#pragma once
#include <windows.h>

// Over device names in id order (null entries: unreadable, skipped). The result points into
// `names`, or is "" when no device has a name.
// Playback: the first name containing "USB" (case respected), else the first non-empty name.
const char* ChoosePlaybackDevice(const char* const* names, UINT count);
// Recording: the last name containing "USB", else the first non-empty name.
const char* ChooseRecordingDevice(const char* const* names, UINT count);

// The choices over the live device lists, copied into `name` (MAXPNAMELEN bytes).
void ChosenPlaybackDevice(char* name);
void ChosenRecordingDevice(char* name);

// Sends "SET AUDIO_OUT <name>" then "SET AUDIO_IN <name>", always both.
void SelectSkypeAudioDevices();
