// Device names: the real ones, or a test's own lists.
#include "fake_audio_devices.h"

#include <cstring>

#include "app/seam.h"

namespace {
bool g_faked = false;
std::vector<std::string> g_outputs;
std::vector<std::string> g_inputs;

MMRESULT Copy(const std::vector<std::string>& names, UINT device, char* name)
{
    if (device >= names.size())
        return MMSYSERR_BADDEVICEID;
    lstrcpynA(name, names[device].c_str(), MAXPNAMELEN);
    return MMSYSERR_NOERROR;
}
} // namespace

void FakeAudioDevices(const std::vector<std::string>& outputs,
                      const std::vector<std::string>& inputs)
{
    g_faked = true;
    g_outputs = outputs;
    g_inputs = inputs;
}

void FakeAudioDevicesReal()
{
    g_faked = false;
}

UINT SeamWaveOutGetNumDevs()
{
    return g_faked ? UINT(g_outputs.size()) : waveOutGetNumDevs();
}

MMRESULT SeamWaveOutGetDevCaps(UINT device, WAVEOUTCAPSA* caps)
{
    if (!g_faked)
        return waveOutGetDevCapsA(device, caps, sizeof *caps);
    memset(caps, 0, sizeof *caps);
    return Copy(g_outputs, device, caps->szPname);
}

UINT SeamWaveInGetNumDevs()
{
    return g_faked ? UINT(g_inputs.size()) : waveInGetNumDevs();
}

MMRESULT SeamWaveInGetDevCaps(UINT device, WAVEINCAPSA* caps)
{
    if (!g_faked)
        return waveInGetDevCapsA(device, caps, sizeof *caps);
    memset(caps, 0, sizeof *caps);
    return Copy(g_inputs, device, caps->szPname);
}
