// Device names: the real ones, or a test's own lists.
#include "fake_audio_devices.h"

#include <cstring>

#include "platform/seam.h"

namespace {
bool g_faked = false;
std::vector<std::string> g_outputs;
std::vector<std::string> g_inputs;

// waveOut and waveIn alike: the count and the caps from the test's list when it set one.
UINT Count(const std::vector<std::string>& names, UINT(WINAPI* real)())
{
    return g_faked ? UINT(names.size()) : real();
}

template <class Caps>
MMRESULT DevCaps(const std::vector<std::string>& names, UINT device, Caps* caps,
                 MMRESULT(WINAPI* real)(UINT_PTR, Caps*, UINT))
{
    if (!g_faked)
        return real(device, caps, sizeof *caps);
    memset(caps, 0, sizeof *caps);
    if (device >= names.size())
        return MMSYSERR_BADDEVICEID;
    // The test's names are UTF-8; a name longer than the field is cut, as a driver cuts it.
    wchar_t wide[256] = {};
    (void)MultiByteToWideChar(CP_UTF8, 0, names[device].c_str(), -1, wide, 256);
    lstrcpynW(caps->szPname, wide, MAXPNAMELEN);
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
    return Count(g_outputs, waveOutGetNumDevs);
}

MMRESULT SeamWaveOutGetDevCaps(UINT device, WAVEOUTCAPSW* caps)
{
    return DevCaps(g_outputs, device, caps, waveOutGetDevCapsW);
}

UINT SeamWaveInGetNumDevs()
{
    return Count(g_inputs, waveInGetNumDevs);
}

MMRESULT SeamWaveInGetDevCaps(UINT device, WAVEINCAPSW* caps)
{
    return DevCaps(g_inputs, device, caps, waveInGetDevCapsW);
}
