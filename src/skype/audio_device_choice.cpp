// The audio devices Skype should use, chosen by name from the live device lists.
#include "skype/audio_devices.h"

#include <cstring>

#include "audio/device_names.h"

namespace {
bool ContainsUsb(const char* name)
{
    return strstr(name, "USB") != nullptr;
}

void CopyName(char* out, const char* name)
{
    lstrcpynA(out, name, MAXPNAMELEN);
}
} // namespace

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

void ChosenPlaybackDevice(char* name)
{
    DeviceNames devices = ReadWaveOutNames();
    CopyName(name, ChoosePlaybackDevice(devices.names, devices.count));
    FreeDeviceNames(&devices);
}

void ChosenRecordingDevice(char* name)
{
    DeviceNames devices = ReadWaveInNames();
    CopyName(name, ChooseRecordingDevice(devices.names, devices.count));
    FreeDeviceNames(&devices);
}
