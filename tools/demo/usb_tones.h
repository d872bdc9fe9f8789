// Tones heard on "USB Audio Device": the pipe sink's capture file (raw 22050 Hz mono s16le,
// growing in real time, silence included) read as it grows and cut into bursts of sound,
// each named by its strongest frequencies.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "capture.h"

struct ToneBurst {
    double startSeconds;   // position in the capture stream
    double lengthSeconds;
    std::string name;      // "941+1336 Hz (key 0)", "417 Hz (navigation key)", ...
};

class ToneScanner {
public:
    // Starts at the capture's current end: earlier sound is not ours.
    bool Open(const std::string& path);
    // Reads what was appended since the last call; returns the bursts completed by it.
    // `streamSeconds` gets the length of the whole stream read so far.
    std::vector<ToneBurst> Poll(double* streamSeconds);

private:
    ToneBurst Analyse(size_t first, size_t last) const;

    std::string path_;
    long long readBytes_ = 0;        // file offset read up to
    long long baseSample_ = 0;       // stream index of pending_[0]
    std::vector<short> pending_;     // samples not yet part of a finished burst
    long long burstStart_ = -1;      // stream index where the open burst began
    long long lastLoud_ = -1;        // stream index just past the last loud block
    size_t scanned_ = 0;             // samples of pending_ already classified
};

// Names a burst by Goertzel powers at the key-tone frequencies (exposed for checks).
std::string NameTone(const std::vector<short>& samples);
