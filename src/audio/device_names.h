// The names of the sound devices, read once per decision (devices come and go).
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include "core/device_name_size.h"

// Names in device-id order, in UTF-8, read with the wide calls: the single-byte ones give the
// ANSI code page's rendering, which loses what it cannot show and is not what Skype reads.
// An entry is null where the device's capabilities could not be read. Owns its storage.
// Plain C storage on purpose: the program links no C++ containers (they alone would triple
// the size of the executable).
class DeviceNames {
public:
    DeviceNames() = default;
    DeviceNames(DeviceNames&& other) noexcept;
    DeviceNames(const DeviceNames&) = delete;
    DeviceNames& operator=(const DeviceNames&) = delete;
    ~DeviceNames();

    UINT count = 0;
    const char** names = nullptr;
    char (*text)[kDeviceNameBytes] = nullptr;
};

DeviceNames ReadWaveOutNames();
DeviceNames ReadWaveInNames();
