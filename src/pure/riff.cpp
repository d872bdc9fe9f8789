// The RIFF/WAVE chunk walk.
#include "pure/riff.h"

#include <cstring>

namespace {

uint32_t ReadLe32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool IsId(const uint8_t* p, const char* id)
{
    return std::memcmp(p, id, 4) == 0;
}

} // namespace

bool FindWaveChunks(const uint8_t* data, uint32_t size, WaveChunks* chunks)
{
    *chunks = WaveChunks{};
    if (size < 12 || !IsId(data, "RIFF") || !IsId(data + 8, "WAVE"))
        return false;
    // The RIFF size ends the walk. It is trusted only as far as the image really goes, so
    // a damaged size cannot send the walk (or the player) past the resource.
    uint64_t end = 8ull + ReadLe32(data + 4);
    if (end > size)
        end = size;
    uint64_t pos = 12;
    while (pos < end) {
        if (pos + 8 > size)
            return false;
        const uint8_t* chunk = data + pos;
        uint32_t chunkSize = ReadLe32(chunk + 4);
        if (pos + 8 + chunkSize > size)
            return false;
        if (IsId(chunk, "fmt ")) {
            if (!chunks->format) {
                if (chunkSize < 14)
                    return false;
                chunks->format = chunk + 8;
                chunks->formatBytes = chunkSize;
                if (chunks->samples && chunks->sampleBytes != 0)
                    return true;
            }
        } else if (IsId(chunk, "data")) {
            chunks->samples = chunk + 8;
            chunks->sampleBytes = chunkSize;
            if (chunks->format)
                return true;
        }
        // Chunks are word aligned: an odd-sized chunk is followed by one pad byte.
        pos += 8ull + chunkSize + (chunkSize & 1);
    }
    return false;
}
