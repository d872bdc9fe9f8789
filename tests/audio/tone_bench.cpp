// Benchmark: how long PlayTone takes beyond the tone's own length (median of 50 tones), on the
// held device and as the first tone after a quiet time (which opens the device), where that
// time goes, and the floor: a bare open, prepare, write, wait for the sound to be done,
// unprepare and close of the same sound on the same device, measured in the same run. Run it
// in the test environment (scripts/env.sh start_env).
// The seam bodies here call waveOut exactly as the real ones do, and note the time of each
// step; the player itself is the product's.
#include <algorithm>
#include <cstdio>
#include <vector>

#include <windows.h>

#include "audio/device_choice.h"
#include "audio/tone_device.h"
#include "audio/tones.h"
#include "bare_play.h"
#include "platform/seam.h"

namespace {

LARGE_INTEGER g_frequency;
LARGE_INTEGER g_start;
double g_opened, g_written, g_unprepared;

double Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart - g_start.QuadPart) * 1000.0 / double(g_frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The bare sequence on the device and with the format the player uses; its time beyond the
// tone's length, or a negative value when it could not play.
double BareToneBeyondLength(UINT resourceId, double toneMs)
{
    const WAVEFORMATEX* format = nullptr;
    const BYTE* samples = nullptr;
    DWORD bytes = 0;
    if (!FindTone(resourceId, &format, &samples, &bytes))
        return -1;
    UINT device = FindToneDevice();
    QueryPerformanceCounter(&g_start);
    if (!PlayBare(device, format, samples, bytes, 0, nullptr))
        return -1;
    return Now() - toneMs;
}
} // namespace

DWORD SeamTickCount()
{
    return GetTickCount();
}

MMRESULT SeamWaveOutOpen(HWAVEOUT* out, UINT device, const WAVEFORMATEX* format,
                         DWORD_PTR callback, DWORD_PTR instance, DWORD flags)
{
    MMRESULT result = waveOutOpen(out, device, format, callback, instance, flags);
    g_opened = Now();
    return result;
}

MMRESULT SeamWaveOutPrepareHeader(HWAVEOUT out, WAVEHDR* header, UINT size)
{
    return waveOutPrepareHeader(out, header, size);
}

MMRESULT SeamWaveOutWrite(HWAVEOUT out, WAVEHDR* header, UINT size)
{
    g_written = Now();
    return waveOutWrite(out, header, size);
}

MMRESULT SeamWaveOutPause(HWAVEOUT out)
{
    return waveOutPause(out);
}

MMRESULT SeamWaveOutRestart(HWAVEOUT out)
{
    return waveOutRestart(out);
}

MMRESULT SeamWaveOutReset(HWAVEOUT out)
{
    return waveOutReset(out);
}

MMRESULT SeamWaveOutUnprepareHeader(HWAVEOUT out, WAVEHDR* header, UINT size)
{
    // The end of the wait: a tone's header is given back once it is done.
    g_unprepared = Now();
    return waveOutUnprepareHeader(out, header, size);
}

MMRESULT SeamWaveOutClose(HWAVEOUT out)
{
    return waveOutClose(out);
}

// The length of a WAVE resource's sound in ms, or 0.
double ToneLengthMs(UINT resourceId)
{
    const WAVEFORMATEX* format = nullptr;
    const BYTE* samples = nullptr;
    DWORD bytes = 0;
    if (!FindTone(resourceId, &format, &samples, &bytes) || format->nAvgBytesPerSec == 0)
        return 0;
    return bytes * 1000.0 / format->nAvgBytesPerSec;
}

int main()
{
    const UINT kTone = 147; // the navigation tone, which YES waits for
    const double kToneMs = ToneLengthMs(kTone);
    const int kRuns = 50;
    QueryPerformanceFrequency(&g_frequency);
    PlayTone(kTone); // the first open loads the audio driver: not part of the figure
    std::vector<double> beyond, first, open, doneAfterTone, floor;
    for (int i = 0; i < kRuns; ++i) {
        // Interleaved, so that all three see the same load on the machine. The bare play
        // opens a device of its own: the held one is closed first, as after a quiet time.
        CloseToneDevice();
        floor.push_back(BareToneBeyondLength(kTone, kToneMs));
        Sleep(20);
        QueryPerformanceCounter(&g_start);
        PlayTone(kTone);
        first.push_back(Now() - kToneMs);
        open.push_back(g_opened);
        Sleep(20);
        QueryPerformanceCounter(&g_start);
        PlayTone(kTone); // on the device held since the tone before
        beyond.push_back(Now() - kToneMs);
        doneAfterTone.push_back(g_unprepared - g_written - kToneMs);
        Sleep(20);
    }
    CloseToneDevice();
    printf("PlayTone(%u), tone %.1f ms, %d tones (medians):\n", kTone, kToneMs, kRuns);
    printf("  floor, a bare open/write/wait/close beyond the tone's length: %.1f ms\n",
           Median(floor));
    printf("  beyond the tone's length: %.1f ms (min %.1f, max %.1f)\n", Median(beyond),
           *std::min_element(beyond.begin(), beyond.end()),
           *std::max_element(beyond.begin(), beyond.end()));
    printf("  first tone after a quiet time, beyond the tone's length: %.1f ms\n",
           Median(first));
    printf("  lookup + device open (first tone only): %.1f ms\n", Median(open));
    printf("  driver's done signal after the tone's end: %.1f ms\n", Median(doneAfterTone));
    return 0;
}
