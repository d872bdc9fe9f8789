// The choices of sound devices by name, made over the device lists as they are now.
#pragma once
#include <windows.h>

// Each reads the list afresh (devices come and go); names are copied into `name`
// (kDeviceNameBytes bytes, UTF-8).
UINT FindToneDevice();
void FindPlaybackDevice(char* name);
void FindRecordingDevice(char* name);
