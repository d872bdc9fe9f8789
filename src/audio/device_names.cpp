// Reading the waveOut and waveIn device names.
#include "audio/device_names.h"

#include <cstdlib>
#include <cstring>

#include "platform/seam.h"

namespace {
template <class Caps, class Query>
DeviceNames ReadNames(UINT count, Query query)
{
    DeviceNames devices;
    if (count == 0)
        return devices;
    devices.names = static_cast<const char**>(calloc(count, sizeof *devices.names));
    devices.text = static_cast<char(*)[kDeviceNameBytes]>(calloc(count, kDeviceNameBytes));
    if (!devices.names || !devices.text)
        return DeviceNames();
    devices.count = count;
    for (UINT id = 0; id < count; ++id) {
        Caps caps;
        if (query(id, &caps) != MMSYSERR_NOERROR)
            continue;
        caps.szPname[MAXPNAMELEN - 1] = L'\0'; // a driver may fill all 32 units
        if (WideCharToMultiByte(CP_UTF8, 0, caps.szPname, -1, devices.text[id],
                                kDeviceNameBytes, nullptr, nullptr) == 0)
            continue; // cannot happen with the buffer sized for the worst case
        devices.names[id] = devices.text[id];
    }
    return devices;
}
} // namespace

DeviceNames::DeviceNames(DeviceNames&& other) noexcept
    : count(other.count), names(other.names), text(other.text)
{
    other.count = 0;
    other.names = nullptr;
    other.text = nullptr;
}

DeviceNames::~DeviceNames()
{
    free(names);
    free(text);
}

DeviceNames ReadWaveOutNames()
{
    return ReadNames<WAVEOUTCAPSW>(SeamWaveOutGetNumDevs(), SeamWaveOutGetDevCaps);
}

DeviceNames ReadWaveInNames()
{
    return ReadNames<WAVEINCAPSW>(SeamWaveInGetNumDevs(), SeamWaveInGetDevCaps);
}
