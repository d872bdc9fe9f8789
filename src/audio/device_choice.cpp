// Sound devices chosen by name.
#include "audio/device_choice.h"

#include <cstring>

#include "audio/device_names.h"

namespace {
bool ContainsUsb(const char* name)
{
    return strstr(name, "USB") != nullptr;
}

void CopyName(char* out, const char* name)
{
    lstrcpynA(out, name, kDeviceNameBytes);
}
} // namespace

UINT ChooseToneDevice(const char* const* names, UINT count)
{
    for (UINT i = 0; i < count; ++i) {
        if (names[i] && strncmp(names[i], "USB", 3) == 0)
            return i;
    }
    // Since Vista the product name follows the endpoint's name: "Speakers (USB Audio Device)".
    for (UINT i = 0; i < count; ++i) {
        if (names[i] && ContainsUsb(names[i]))
            return i;
    }
    // Device 0 itself, not WAVE_MAPPER.
    return 0;
}

const char* ChoosePlaybackDevice(const char* const* names, UINT count)
{
    const char* chosen = "";
    for (UINT i = 0; i < count; ++i) {
        if (!names[i])
            continue;
        if (ContainsUsb(names[i]))
            return names[i];
        if (!*chosen)
            chosen = names[i];
    }
    return chosen;
}

const char* ChooseRecordingDevice(const char* const* names, UINT count)
{
    const char* chosen = "";
    for (UINT i = 0; i < count; ++i) {
        if (!names[i])
            continue;
        if (ContainsUsb(names[i]))
            chosen = names[i]; // a later USB device replaces an earlier one
        else if (!*chosen)
            chosen = names[i];
    }
    return chosen;
}

UINT FindToneDevice()
{
    DeviceNames devices = ReadWaveOutNames();
    return ChooseToneDevice(devices.names, devices.count);
}

void FindPlaybackDevice(char* name)
{
    DeviceNames devices = ReadWaveOutNames();
    CopyName(name, ChoosePlaybackDevice(devices.names, devices.count));
}

void FindRecordingDevice(char* name)
{
    DeviceNames devices = ReadWaveInNames();
    CopyName(name, ChooseRecordingDevice(devices.names, devices.count));
}
