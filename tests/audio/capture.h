// What was played on "USB Audio Device": the pipe sink's raw file (22050 Hz mono s16le,
// named by $USB_CAPTURE as a Unix path), and a frequency analysis of it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

const int kCaptureRate = 22050;

// The capture file as a Windows path ("Z:" + the Unix path), empty when USB_CAPTURE is unset.
std::string CapturePath();
// The capture file opened for reading while the sound server keeps appending to it.
HANDLE OpenCapture(const std::string& path);
// Bytes in the capture file so far (-1 when it cannot be read).
long long CaptureSize();
// The samples from byte `offset` to the current end.
std::vector<short> ReadCapture(long long offset);

// The stretch from the first to the last sample louder than `threshold`; empty if none.
std::vector<short> SoundSpan(const std::vector<short>& samples, int threshold);

// `samples` without the runs of at least `minRun` zero samples inside them: the silence a
// sound server inserts when it runs dry in the middle of a stream.
std::vector<short> WithoutGaps(const std::vector<short>& samples, size_t minRun);

// Goertzel power of `samples` at `frequency` (Hz).
double GoertzelPower(const std::vector<short>& samples, double frequency);

// The `count` strongest frequencies of `samples`, scanned by Goertzel from 100 Hz to just
// below half the rate in 5 Hz steps; each peak hides its neighbours within 80 Hz.
std::vector<double> StrongestFrequencies(const std::vector<short>& samples, int count);
