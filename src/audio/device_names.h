// The names of the sound devices, read once per decision (devices come and go).
#pragma once
#include <windows.h>
#include <mmsystem.h>

// A device name in UTF-8: read wide (at most MAXPNAMELEN - 1 UTF-16 units), each unit takes
// at most 3 bytes (a surrogate pair takes 4 for its two), and the NUL.
enum { kDeviceNameBytes = 3 * (MAXPNAMELEN - 1) + 1 };

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
