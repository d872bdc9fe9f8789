// Recording fakes of the waveOut seam.
#include "fake_wave_out.h"

#include <atomic>

#include "event_log.h"
#include "platform/seam.h"
#include "pure/riff.h"

namespace {

// The callback event of the last open (the player's named event).
HANDLE g_callbackEvent = nullptr;
bool g_silentDriver = false;
std::atomic<int> g_openDevices{0}; // read by tests from other threads too
// Handles carry the number of unplugs before their open: one opened before the last unplug
// is dead.
UINT g_unplugs = 0;
bool g_unplugged = false;
UINT g_lastDevice = UINT(-1);
int g_opens = 0;

HWAVEOUT HandleFor(UINT unplugs)
{
    return reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(0x5eed0000u + unplugs));
}

bool Dead(HWAVEOUT out)
{
    return out != HandleFor(g_unplugs);
}

// The WAVE id whose data chunk `samples` is, or 0.
UINT WaveIdOf(const void* samples)
{
    HMODULE module = GetModuleHandleA(nullptr);
    for (UINT id = 133; id <= 147; ++id) {
        HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), "WAVE");
        if (!info)
            continue;
        HGLOBAL loaded = LoadResource(module, info);
        const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
        if (!data)
            continue;
        WaveChunks chunks;
        if (FindWaveChunks(data, SizeofResource(module, info), &chunks) &&
            chunks.samples == reinterpret_cast<const uint8_t*>(samples))
            return id;
    }
    return 0;
}

// The silence the player feeds the device with between tones: not a tone.
bool IsSilence(const WAVEHDR* header)
{
    for (DWORD i = 0; i < header->dwBufferLength; ++i) {
        if (header->lpData[i] != 0)
            return false;
    }
    return true;
}

} // namespace

MMRESULT SeamWaveOutOpen(HWAVEOUT* out, UINT device, const WAVEFORMATEX*, DWORD_PTR callback,
                         DWORD_PTR, DWORD flags)
{
    if (g_unplugged)
        return MMSYSERR_NOTENABLED;
    *out = HandleFor(g_unplugs);
    g_lastDevice = device;
    ++g_opens;
    ++g_openDevices;
    g_callbackEvent = (flags & CALLBACK_TYPEMASK) == CALLBACK_EVENT
                          ? reinterpret_cast<HANDLE>(callback)
                          : nullptr;
    return MMSYSERR_NOERROR;
}

MMRESULT SeamWaveOutPrepareHeader(HWAVEOUT, WAVEHDR* header, UINT)
{
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT SeamWaveOutWrite(HWAVEOUT out, WAVEHDR* header, UINT)
{
    if (!IsSilence(header)) {
        UINT id = WaveIdOf(header->lpData);
        SharedLog().Add(id ? Format("tone %u", id) : std::string("tone ?"));
    }
    if (g_silentDriver || Dead(out))
        return MMSYSERR_NOERROR;
    // As if the driver had played the buffer already.
    header->dwFlags |= WHDR_DONE;
    if (g_callbackEvent)
        SetEvent(g_callbackEvent);
    return MMSYSERR_NOERROR;
}

MMRESULT SeamWaveOutPause(HWAVEOUT out)
{
    return Dead(out) ? MMSYSERR_ERROR : MMSYSERR_NOERROR;
}

MMRESULT SeamWaveOutRestart(HWAVEOUT)
{
    return MMSYSERR_NOERROR;
}

MMRESULT SeamWaveOutReset(HWAVEOUT)
{
    return MMSYSERR_NOERROR;
}

MMRESULT SeamWaveOutUnprepareHeader(HWAVEOUT, WAVEHDR* header, UINT)
{
    header->dwFlags &= ~DWORD(WHDR_PREPARED);
    return MMSYSERR_NOERROR;
}

MMRESULT SeamWaveOutClose(HWAVEOUT)
{
    --g_openDevices;
    g_callbackEvent = nullptr;
    return MMSYSERR_NOERROR;
}

void FakeWaveOutSetSilentDriver(bool silent)
{
    g_silentDriver = silent;
}

int FakeWaveOutOpenDevices()
{
    return g_openDevices;
}

void FakeWaveOutUnplug()
{
    ++g_unplugs;
    g_unplugged = true;
}

void FakeWaveOutPlug()
{
    g_unplugged = false;
}

UINT FakeWaveOutLastOpenedDevice()
{
    return g_lastDevice;
}

int FakeWaveOutOpens()
{
    return g_opens;
}
