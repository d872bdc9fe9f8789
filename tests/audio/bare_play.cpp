// The bare play of a tone on the key-tone device.
#include "bare_play.h"

#include "audio/play_end.h"
#include "pure/riff.h"

bool FindTone(UINT resourceId, const WAVEFORMATEX** format, const BYTE** samples, DWORD* bytes)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(resourceId), "WAVE");
    const BYTE* data = info ? static_cast<const BYTE*>(LockResource(LoadResource(module, info)))
                            : nullptr;
    WaveChunks chunks;
    if (!data || !FindWaveChunks(data, SizeofResource(module, info), &chunks))
        return false;
    // The program's own tones carry a whole 16-byte PCM format.
    *format = reinterpret_cast<const WAVEFORMATEX*>(chunks.format);
    *samples = chunks.samples;
    *bytes = chunks.sampleBytes;
    return true;
}

bool PlayBare(UINT device, const WAVEFORMATEX* format, const BYTE* samples, DWORD bytes,
              DWORD holdMs, bool* done)
{
    WAVEHDR header = {};
    header.lpData = reinterpret_cast<LPSTR>(const_cast<BYTE*>(samples));
    header.dwBufferLength = bytes;
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HWAVEOUT out = nullptr;
    if (waveOutOpen(&out, device, format, DWORD_PTR(event), 0, CALLBACK_EVENT) !=
        MMSYSERR_NOERROR) {
        CloseHandle(event);
        return false;
    }
    waveOutPrepareHeader(out, &header, sizeof header);
    ResetEvent(event);
    waveOutWrite(out, &header, sizeof header);
    bool finished = WaitUntilDone(event, &header, 2000);
    if (done)
        *done = finished;
    if (holdMs)
        Sleep(holdMs);
    if (!finished)
        waveOutReset(out); // gives the header back
    waveOutUnprepareHeader(out, &header, sizeof header);
    waveOutClose(out);
    CloseHandle(event);
    return true;
}
