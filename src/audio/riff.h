// The RIFF/WAVE chunk walk of the key-tone player.
#pragma once
#include <windows.h>
#include <mmsystem.h>

// Finds the "fmt " and "data" chunks of a RIFF/WAVE image of `size` bytes.
// `format` points at the first "fmt " chunk's data (null until one is found); `samples` and
// `sampleBytes` describe the last "data" chunk seen before the walk stopped. True as soon as
// both are known (a "fmt " chunk shorter than 14 bytes fails the walk at once). The walk ends
// at the RIFF size, and never reads past `size`.
bool FindWaveChunks(const BYTE* data, DWORD size, const WAVEFORMATEX** format,
                    const BYTE** samples, DWORD* sampleBytes);

