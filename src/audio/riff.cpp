// The RIFF/WAVE chunk walk.
#include "audio/riff.h"

#include <cstring>

namespace {

DWORD ReadLe32(const BYTE* p)
{
    return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
}

bool IsId(const BYTE* p, const char* id)
{
    return std::memcmp(p, id, 4) == 0;
}

} // namespace

bool FindWaveChunks(const BYTE* data, DWORD size, const WAVEFORMATEX** format,
                    const BYTE** samples, DWORD* sampleBytes)
{
    *format = nullptr;
    *samples = nullptr;
    *sampleBytes = 0;
    if (size < 12 || !IsId(data, "RIFF") || !IsId(data + 8, "WAVE"))
        return false;
    // The RIFF size ends the walk. It is trusted only as far as the image really goes, so
    // a damaged size cannot send the walk (or the player) past the resource.
    unsigned long long end = 8ull + ReadLe32(data + 4);
    if (end > size)
        end = size;
    unsigned long long pos = 12;
    while (pos < end) {
        if (pos + 8 > size)
            return false;
        const BYTE* chunk = data + pos;
        DWORD chunkSize = ReadLe32(chunk + 4);
        if (pos + 8 + chunkSize > size)
            return false;
        if (IsId(chunk, "fmt ")) {
            if (!*format) {
                if (chunkSize < 14)
                    return false;
                *format = reinterpret_cast<const WAVEFORMATEX*>(chunk + 8);
                if (*samples && *sampleBytes != 0)
                    return true;
            }
        } else if (IsId(chunk, "data")) {
            *samples = chunk + 8;
            *sampleBytes = chunkSize;
            if (*format)
                return true;
        }
        // Chunks are word aligned: an odd-sized chunk is followed by one pad byte.
        pos += 8ull + chunkSize + (chunkSize & 1);
    }
    return false;
}
