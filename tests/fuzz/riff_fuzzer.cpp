// The RIFF/WAVE chunk walk: any image, in storage of exactly its size.
#include <cstdlib>

#include "pure/riff.h"

namespace {
// Touches every byte of a range, so that AddressSanitizer checks all of it.
unsigned Sum(const uint8_t* bytes, uint32_t count)
{
    unsigned sum = 0;
    for (uint32_t i = 0; i < count; ++i)
        sum += bytes[i];
    return sum;
}

bool Within(const uint8_t* part, uint32_t bytes, const uint8_t* data, size_t size)
{
    return part >= data && uint64_t(part - data) + bytes <= size;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX)
        return 0;
    WaveChunks chunks;
    bool found = FindWaveChunks(data, uint32_t(size), &chunks);
    if (found && (!chunks.format || !chunks.samples || chunks.formatBytes < 14))
        abort();
    if (chunks.format && !Within(chunks.format, chunks.formatBytes, data, size))
        abort();
    if (chunks.samples && !Within(chunks.samples, chunks.sampleBytes, data, size))
        abort();
    // What the player would read: the format, and the samples it plays.
    volatile unsigned sink = 0;
    if (chunks.format)
        sink = sink + Sum(chunks.format, chunks.formatBytes);
    if (chunks.samples)
        sink = sink + Sum(chunks.samples, chunks.sampleBytes);
    return 0;
}
