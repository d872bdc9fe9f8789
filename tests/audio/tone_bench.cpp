// Benchmark: how long PlayTone takes beyond the tone's own length (median of 50 tones).
// Run under the test environment (scripts/env.sh start_env); prints one figure per line.
#include <algorithm>
#include <cstdio>
#include <vector>

#include <windows.h>

#include "audio/tones.h"

int main()
{
    const UINT kTone = 138;                      // key 5
    const double kToneMs = 1775 * 1000.0 / 22050; // its data chunk at 22050 Hz, 16-bit mono
    const int kRuns = 50;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    PlayTone(kTone); // the first open loads the audio driver: not part of the figure
    std::vector<double> overheads;
    for (int i = 0; i < kRuns; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        PlayTone(kTone);
        QueryPerformanceCounter(&end);
        double ms = double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
        overheads.push_back(ms - kToneMs);
    }
    std::sort(overheads.begin(), overheads.end());
    printf("PlayTone(%u): tone %.1f ms; beyond it over %d tones: median %.1f ms, min %.1f ms, "
           "max %.1f ms\n",
           kTone, kToneMs, kRuns, overheads[kRuns / 2], overheads.front(), overheads.back());
    return 0;
}
