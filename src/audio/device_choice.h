// Every choice of a sound device by name: where the key tones play, and which devices Skype is
// told to use for calls. Plain decisions over lists of names (null entries: devices whose
// capabilities could not be read, skipped), and the same decisions over the live lists.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include "audio/device_names.h"

// Key tones: the first name that begins with "USB" (case-sensitive), else the first that
// contains "USB", else device 0.
UINT ChooseToneDevice(const char* const* names, UINT count);

// Skype's playback device: the first name containing "USB" (case respected), else the first
// non-empty name. The result points into `names`, or is "" when no device has a name.
const char* ChoosePlaybackDevice(const char* const* names, UINT count);
// Skype's recording device: the last name containing "USB", else the first non-empty name.
const char* ChooseRecordingDevice(const char* const* names, UINT count);

// Find...: the same choices over the device lists as they are now, read afresh each time;
// names are copied into `name` (kDeviceNameBytes bytes, UTF-8).
UINT FindToneDevice();
void FindPlaybackDevice(char* name);
void FindRecordingDevice(char* name);
