// Cutting the USB capture into tone bursts and naming them, with the audio tests' capture
// helpers.
#include "usb_tones.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
const size_t kBlock = kCaptureRate / 200;      // 5 ms
const int kLoudLevel = 300;                    // the sink writes exact zeros when idle
const long long kGapSamples = kCaptureRate * 60 / 1000; // the sound server may run dry briefly
const long long kMinBurstSamples = kCaptureRate * 15 / 1000;

// Every frequency the program's tones are made of.
const double kCandidates[] = {417, 697, 770, 852, 941, 1209, 1336, 1477, 10400};
const double kRows[] = {697, 770, 852, 941};
const double kColumns[] = {1209, 1336, 1477};
const char kKeypad[4][3] = {{'1', '2', '3'}, {'4', '5', '6'}, {'7', '8', '9'}, {'*', '0', '#'}};

int IndexOf(const double* table, int count, double value)
{
    for (int i = 0; i < count; ++i) {
        if (table[i] == value)
            return i;
    }
    return -1;
}

} // namespace

std::string NameTone(const std::vector<short>& samples)
{
    const int count = int(sizeof kCandidates / sizeof kCandidates[0]);
    int first = -1, second = -1;
    double powers[count];
    for (int i = 0; i < count; ++i) {
        powers[i] = GoertzelPower(samples, kCandidates[i]);
        if (first < 0 || powers[i] > powers[first]) {
            second = first;
            first = i;
        } else if (second < 0 || powers[i] > powers[second]) {
            second = i;
        }
    }
    char text[80];
    // A second component under a twentieth of the first's power is leakage, not a tone.
    if (second < 0 || powers[second] < powers[first] / 20) {
        snprintf(text, sizeof text, "%.0f Hz%s", kCandidates[first],
                 kCandidates[first] == 417 ? " (navigation key)" : "");
        return text;
    }
    double low = std::fmin(kCandidates[first], kCandidates[second]);
    double high = std::fmax(kCandidates[first], kCandidates[second]);
    int row = IndexOf(kRows, 4, low), column = IndexOf(kColumns, 3, high);
    const char* what = "unknown";
    char key[16];
    if (row >= 0 && column >= 0) {
        snprintf(key, sizeof key, "key %c", kKeypad[row][column]);
        what = key;
    } else if (low == 852 && high == 10400) {
        what = "key *";
    }
    snprintf(text, sizeof text, "%.0f+%.0f Hz (%s)", low, high, what);
    return text;
}

bool ToneScanner::Open(const std::string& path)
{
    path_ = path;
    HANDLE file = OpenCapture(path_);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    BOOL ok = GetFileSizeEx(file, &size);
    CloseHandle(file);
    if (!ok)
        return false;
    readBytes_ = size.QuadPart & ~1LL;
    baseSample_ = readBytes_ / 2;
    return true;
}

std::vector<ToneBurst> ToneScanner::Poll(double* streamSeconds)
{
    std::vector<ToneBurst> bursts;
    HANDLE file = OpenCapture(path_);
    if (file != INVALID_HANDLE_VALUE) {
        LARGE_INTEGER size, start;
        start.QuadPart = readBytes_;
        if (GetFileSizeEx(file, &size) && size.QuadPart - readBytes_ >= 2 &&
            SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
            std::vector<short> fresh(size_t((size.QuadPart - readBytes_) / 2));
            DWORD got = 0;
            (void)ReadFile(file, fresh.data(), DWORD(fresh.size() * 2), &got, nullptr);
            fresh.resize(got / 2);
            readBytes_ += (long long)fresh.size() * 2;
            pending_.insert(pending_.end(), fresh.begin(), fresh.end());
        }
        CloseHandle(file);
    }
    if (streamSeconds)
        *streamSeconds = double(readBytes_ / 2) / kCaptureRate;

    while (scanned_ + kBlock <= pending_.size()) {
        bool loud = false;
        for (size_t i = scanned_; i < scanned_ + kBlock && !loud; ++i)
            loud = std::abs(pending_[i]) > kLoudLevel;
        long long blockStart = baseSample_ + (long long)scanned_;
        scanned_ += kBlock;
        if (loud) {
            if (burstStart_ < 0)
                burstStart_ = blockStart;
            lastLoud_ = blockStart + (long long)kBlock;
        } else if (burstStart_ >= 0 && blockStart - lastLoud_ >= kGapSamples) {
            if (lastLoud_ - burstStart_ >= kMinBurstSamples)
                bursts.push_back(Analyse(size_t(burstStart_ - baseSample_),
                                         size_t(lastLoud_ - baseSample_)));
            burstStart_ = -1;
        }
    }
    // Keep only what an open burst still needs.
    long long keepFrom = burstStart_ >= 0 ? burstStart_ : baseSample_ + (long long)scanned_;
    size_t drop = size_t(keepFrom - baseSample_);
    pending_.erase(pending_.begin(), pending_.begin() + drop);
    baseSample_ += (long long)drop;
    scanned_ -= drop;
    return bursts;
}

ToneBurst ToneScanner::Analyse(size_t first, size_t last) const
{
    // The zero runs a sound server inserts when it runs dry are not part of the tone.
    std::vector<short> sound;
    size_t i = first;
    while (i < last) {
        size_t run = 0;
        while (i + run < last && pending_[i + run] == 0)
            ++run;
        if (run < 16)
            sound.insert(sound.end(), pending_.begin() + i, pending_.begin() + i + run);
        i += run;
        if (i < last)
            sound.push_back(pending_[i++]);
    }
    ToneBurst burst;
    burst.startSeconds = double(baseSample_ + (long long)first) / kCaptureRate;
    burst.lengthSeconds = double(sound.size()) / kCaptureRate;
    burst.name = NameTone(sound);
    return burst;
}
