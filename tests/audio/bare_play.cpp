// The bare play of a tone on the key-tone device.
#include "bare_play.h"

#include <vector>

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
              DWORD silenceMs, bool* done)
{
    WAVEHDR headers[2] = {};
    headers[0].lpData = reinterpret_cast<LPSTR>(const_cast<BYTE*>(samples));
    headers[0].dwBufferLength = bytes;
    // Zero is silence in the program's own 16-bit tones.
    std::vector<char> silence(size_t(format->nAvgBytesPerSec) * silenceMs / 1000 /
                              format->nBlockAlign * format->nBlockAlign);
    headers[1].lpData = silence.data();
    headers[1].dwBufferLength = DWORD(silence.size());
    int count = silence.empty() ? 1 : 2;
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HWAVEOUT out = nullptr;
    if (waveOutOpen(&out, device, format, DWORD_PTR(event), 0, CALLBACK_EVENT) !=
        MMSYSERR_NOERROR) {
        CloseHandle(event);
        return false;
    }
    for (int i = 0; i < count; ++i)
        waveOutPrepareHeader(out, &headers[i], sizeof headers[i]);
    ResetEvent(event);
    for (int i = 0; i < count; ++i)
        waveOutWrite(out, &headers[i], sizeof headers[i]);
    bool finished = WaitUntilDone(event, &headers[count - 1],
                                  bytes * 1000 / format->nAvgBytesPerSec + silenceMs + 2000);
    if (done)
        *done = finished;
    if (!finished)
        waveOutReset(out); // gives the headers back
    for (int i = 0; i < count; ++i)
        waveOutUnprepareHeader(out, &headers[i], sizeof headers[i]);
    waveOutClose(out);
    CloseHandle(event);
    return true;
}
