// Reading the waveOut and waveIn device names.
#include "audio/device_names.h"

#include <cstdlib>
#include <cstring>

#include "app/seam.h"

namespace {
template <class Caps, class Query>
DeviceNames ReadNames(UINT count, Query query)
{
    DeviceNames devices;
    if (count == 0)
        return devices;
    devices.names = static_cast<const char**>(calloc(count, sizeof *devices.names));
    devices.text = static_cast<char(*)[MAXPNAMELEN]>(calloc(count, MAXPNAMELEN));
    if (!devices.names || !devices.text)
        return DeviceNames();
    devices.count = count;
    for (UINT id = 0; id < count; ++id) {
        Caps caps;
        if (query(id, &caps) != MMSYSERR_NOERROR)
            continue;
        memcpy(devices.text[id], caps.szPname, MAXPNAMELEN);
        devices.text[id][MAXPNAMELEN - 1] = '\0';
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
    return ReadNames<WAVEOUTCAPSA>(SeamWaveOutGetNumDevs(), SeamWaveOutGetDevCaps);
}

DeviceNames ReadWaveInNames()
{
    return ReadNames<WAVEINCAPSA>(SeamWaveInGetNumDevs(), SeamWaveInGetDevCaps);
}
