// The names of the sound devices, read once per decision (devices come and go).
#pragma once
#include <windows.h>
#include <mmsystem.h>

// Names in device-id order; an entry is null where the device's capabilities could not be
// read. Plain C storage on purpose: the program links no C++ containers (they alone would
// triple the size of the executable).
struct DeviceNames {
    UINT count;
    const char** names;
    char (*text)[MAXPNAMELEN];
};

DeviceNames ReadWaveOutNames();
DeviceNames ReadWaveInNames();
void FreeDeviceNames(DeviceNames* devices);
