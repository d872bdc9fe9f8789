// The audio devices Skype should use, chosen by name from the live device lists.
#include "skype/audio_devices.h"

#include <windows.h>
#include <mmsystem.h>


namespace {
bool ContainsUsb(const std::string& name)
{
    return name.find("USB") != std::string::npos;
}
} // namespace

std::string ChoosePlaybackDevice(const std::vector<std::string>& names)
{
    std::string chosen;
    for (const std::string& name : names) {
        if (ContainsUsb(name))
            return name;
        if (chosen.empty())
            chosen = name;
    }
    return chosen;
}

std::string ChooseRecordingDevice(const std::vector<std::string>& names)
{
    std::string chosen;
    for (const std::string& name : names) {
        if (ContainsUsb(name))
            chosen = name; // a later USB device replaces an earlier one
        else if (chosen.empty())
            chosen = name;
    }
    return chosen;
}

std::vector<std::string> WaveOutDeviceNames()
{
    std::vector<std::string> names;
    UINT count = waveOutGetNumDevs();
    for (UINT id = 0; id < count; ++id) {
        WAVEOUTCAPSA caps;
        if (waveOutGetDevCapsA(id, &caps, sizeof caps) == MMSYSERR_NOERROR)
            names.push_back(caps.szPname);
    }
    return names;
}

std::vector<std::string> WaveInDeviceNames()
{
    std::vector<std::string> names;
    UINT count = waveInGetNumDevs();
    for (UINT id = 0; id < count; ++id) {
        WAVEINCAPSA caps;
        if (waveInGetDevCapsA(id, &caps, sizeof caps) == MMSYSERR_NOERROR)
            names.push_back(caps.szPname);
    }
    return names;
}

