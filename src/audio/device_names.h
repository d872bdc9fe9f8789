// The names of the sound devices, read once per decision (devices come and go).
#pragma once
#include <windows.h>
#include <mmsystem.h>

// Names in device-id order; an entry is null where the device's capabilities could not be
// read. Owns its storage. Plain C storage on purpose: the program links no C++ containers
// (they alone would triple the size of the executable).
class DeviceNames {
public:
    DeviceNames() = default;
    DeviceNames(DeviceNames&& other) noexcept;
    DeviceNames(const DeviceNames&) = delete;
    DeviceNames& operator=(const DeviceNames&) = delete;
    ~DeviceNames();

    UINT count = 0;
    const char** names = nullptr;
    char (*text)[MAXPNAMELEN] = nullptr;
};

DeviceNames ReadWaveOutNames();
DeviceNames ReadWaveInNames();
