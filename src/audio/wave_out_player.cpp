// The key-tone player: device choice, resource lookup and the waveOut play steps.
#include "audio/wave_out_player.h"

#include <cstring>

#include "audio/device_choice.h"
#include "audio/tone_device.h"
#include "platform/seam.h"
#include "pure/riff.h"

namespace {

// How long past the tone's own length a synchronous play waits for the driver to report
// the tone done. A silent driver must not hold the key thread for ever.
const DWORD kDriverGraceMs = 1000;

DWORD PlayLengthMs(const WAVEFORMATEX* format, DWORD bytes)
{
    if (format->nAvgBytesPerSec == 0)
        return 0;
    return DWORD((bytes * 1000ull + format->nAvgBytesPerSec - 1) / format->nAvgBytesPerSec);
}

} // namespace

WaveOutPlayer::WaveOutPlayer()
    : output(nullptr), header(), format(), playing(0), loop(0), deviceIndex(0),
      event(nullptr)
{
}

WaveOutPlayer::~WaveOutPlayer()
{
    Stop();
    if (event)
        CloseHandle(event);
}

bool WaveOutPlayer::Load(UINT resourceId)
{
    UINT deviceCount = SeamWaveOutGetNumDevs();
    if (deviceCount == 0)
        return false;
    deviceIndex = FindToneDevice();

    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(resourceId & 0xFFFF), "WAVE");
    if (!info)
        return false;
    HGLOBAL loaded = LoadResource(module, info);
    if (!loaded)
        return false;
    const BYTE* data = static_cast<const BYTE*>(LockResource(loaded));
    if (!data)
        return false;
    WaveChunks chunks;
    bool found = FindWaveChunks(data, SizeofResource(module, info), &chunks);
    // A copy, its missing fields zero: the chunk may be shorter than the WAVEFORMATEX that
    // waveOutOpen reads (14 bytes in the oldest files).
    format = WAVEFORMATEX();
    if (found)
        memcpy(&format, chunks.format, chunks.formatBytes < sizeof format ? chunks.formatBytes
                                                                           : sizeof format);
    // The header points into the resource itself: resources live as long as the program.
    header.lpData = reinterpret_cast<LPSTR>(const_cast<uint8_t*>(chunks.samples));
    header.dwBufferLength = chunks.sampleBytes;
    return found;
}

int WaveOutPlayer::Play(bool loopPlay)
{
    if (playing)
        return 1;
    loop = loopPlay;
    if (loop) {
        // The event exists before the worker starts, so a Stop that comes at once has
        // something to signal.
        OpenEvent();
        InterlockedExchange(&playing, 1);
        Start();
        return 0;
    }
    (void)PlaySteps(); // a tone that cannot be played is simply not heard
    return 0;
}

void WaveOutPlayer::Stop()
{
    InterlockedExchange(&playing, 0);
    if (event)
        SetEvent(event);
    Close();
}

DWORD WaveOutPlayer::Run()
{
    return PlaySteps();
}

bool WaveOutPlayer::OpenEvent()
{
    // One handle per player, kept until the player is destroyed, so that Stop can always
    // signal it. While it is open, the name keeps referring to the same event object.
    if (!event)
        event = CreateEventA(nullptr, FALSE, FALSE, kToneEventName);
    return event != nullptr;
}

MMRESULT WaveOutPlayer::PlaySteps()
{
    // A single tone goes to the held device (tone_device.h): closing the device when the
    // tone is reported done would cut what the output still holds of it.
    if (!loop)
        return PlayOnToneDevice(deviceIndex, &format, &header,
                                PlayLengthMs(&format, header.dwBufferLength) + kDriverGraceMs);
    if (!OpenEvent())
        return MMSYSERR_NOMEM;
    MMRESULT result = SeamWaveOutOpen(&output, deviceIndex, &format,
                                      reinterpret_cast<DWORD_PTR>(event), 0, CALLBACK_EVENT);
    if (result != MMSYSERR_NOERROR)
        return result;

    header.dwFlags = 0;
    header.dwLoops = 0;
    result = SeamWaveOutPrepareHeader(output, &header, sizeof header);
    if (result == MMSYSERR_NOERROR && header.dwFlags == WHDR_PREPARED) {
        header.dwFlags = WHDR_PREPARED | WHDR_BEGINLOOP | WHDR_ENDLOOP;
        header.dwLoops = 0xFFFFFFFF;
        // Opening the device signalled the event; so may an earlier play or Stop.
        ResetEvent(event);
        result = SeamWaveOutWrite(output, &header, sizeof header);
        if (result == MMSYSERR_NOERROR)
            result = SeamWaveOutRestart(output);
        // A Stop that came before the ResetEvent above has already cleared the flag; its
        // signal is gone, so do not wait for it. A loop is cut by Stop anyway: it plays until
        // then, and the device is closed at once.
        if (result == MMSYSERR_NOERROR && playing)
            WaitForSingleObject(event, INFINITE);
    }
    // The device is closed on every path once it was opened, whatever went wrong after.
    (void)SeamWaveOutReset(output);
    (void)SeamWaveOutUnprepareHeader(output, &header, sizeof header);
    (void)SeamWaveOutClose(output);
    output = nullptr;
    return result;
}
