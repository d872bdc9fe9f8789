// Reading and analysing what the USB pipe sink recorded.
#include "capture.h"

#include <cmath>
#include <cstdlib>

namespace {
const double kPi = 3.14159265358979323846;
}

std::string CapturePath()
{
    char unixPath[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("USB_CAPTURE", unixPath, sizeof unixPath);
    if (n == 0 || n >= sizeof unixPath)
        return std::string();
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

HANDLE OpenCapture(const std::string& path)
{
    // The sound server's reader keeps appending: share everything.
    return CreateFileA(path.c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

double GoertzelPower(const std::vector<short>& samples, double frequency)
{
    double coefficient = 2 * std::cos(2 * kPi * frequency / kCaptureRate);
    double s1 = 0, s2 = 0;
    for (short sample : samples) {
        double s0 = sample + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - coefficient * s1 * s2;
}

long long CaptureSize()
{
    HANDLE file = OpenCapture(CapturePath());
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    LARGE_INTEGER size;
    BOOL ok = GetFileSizeEx(file, &size);
    CloseHandle(file);
    return ok ? size.QuadPart : -1;
}

std::vector<short> ReadCapture(long long offset)
{
    std::vector<short> samples;
    HANDLE file = OpenCapture(CapturePath());
    if (file == INVALID_HANDLE_VALUE)
        return samples;
    LARGE_INTEGER size, start;
    start.QuadPart = offset;
    if (GetFileSizeEx(file, &size) && size.QuadPart > offset &&
        SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
        samples.resize(size_t((size.QuadPart - offset) / 2));
        DWORD got = 0;
        ReadFile(file, samples.data(), DWORD(samples.size() * 2), &got, nullptr);
        samples.resize(got / 2);
    }
    CloseHandle(file);
    return samples;
}

std::vector<short> SoundSpan(const std::vector<short>& samples, int threshold)
{
    size_t first = 0;
    while (first < samples.size() && std::abs(samples[first]) <= threshold)
        ++first;
    size_t last = samples.size();
    while (last > first && std::abs(samples[last - 1]) <= threshold)
        --last;
    return std::vector<short>(samples.begin() + first, samples.begin() + last);
}

std::vector<short> WithoutGaps(const std::vector<short>& samples, size_t minRun)
{
    std::vector<short> out;
    size_t i = 0;
    while (i < samples.size()) {
        size_t run = 0;
        while (i + run < samples.size() && samples[i + run] == 0)
            ++run;
        if (run < minRun)
            out.insert(out.end(), samples.begin() + i, samples.begin() + i + run);
        i += run;
        if (i < samples.size())
            out.push_back(samples[i++]);
    }
    return out;
}

std::vector<double> StrongestFrequencies(const std::vector<short>& samples, int count)
{
    std::vector<double> frequencies, powers;
    for (double f = 100; f < kCaptureRate / 2.0 - 20; f += 5) {
        frequencies.push_back(f);
        powers.push_back(GoertzelPower(samples, f));
    }
    std::vector<double> peaks;
    for (int k = 0; k < count; ++k) {
        size_t best = 0;
        for (size_t i = 1; i < powers.size(); ++i) {
            if (powers[i] > powers[best])
                best = i;
        }
        if (powers.empty() || powers[best] < 0)
            break;
        peaks.push_back(frequencies[best]);
        for (size_t i = 0; i < powers.size(); ++i) {
            if (std::fabs(frequencies[i] - frequencies[best]) <= 80)
                powers[i] = -1;
        }
    }
    return peaks;
}
