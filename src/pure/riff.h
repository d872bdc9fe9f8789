// The RIFF/WAVE chunk walk of the key-tone player.
#pragma once
#include <cstdint>

// What the walk found in a RIFF/WAVE image.
struct WaveChunks {
    const uint8_t* format;  // the first "fmt " chunk's data (null until one is found)
    uint32_t formatBytes;   // its size, at least 14 (a WAVEFORMAT's worth)
    const uint8_t* samples; // the last "data" chunk seen before the walk stopped
    uint32_t sampleBytes;
};

// Finds the "fmt " and "data" chunks of a RIFF/WAVE image of `size` bytes. True as soon as
// both are known (a "fmt " chunk shorter than 14 bytes fails the walk at once). The walk ends
// at the RIFF size, and never reads past `size`; `chunks` tells what was seen even on failure.
bool FindWaveChunks(const uint8_t* data, uint32_t size, WaveChunks* chunks);
