// Sound devices chosen by name from the live device lists.
#include "audio/device_choice.h"

#include "audio/device_names.h"
#include "pure/device_choice.h"

namespace {
void CopyName(char* out, const char* name)
{
    lstrcpynA(out, name, kDeviceNameBytes);
}
} // namespace

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
