// Skype's sound devices (see sim_devices.h).
#include "sim_devices.h"

#include <windows.h>
#include <mmsystem.h>

#include <vector>


namespace {
std::vector<std::string> g_outputs;
std::vector<std::string> g_inputs;

std::string Utf8(const wchar_t* wide)
{
    char text[256];
    int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return length > 0 ? std::string(text) : std::string();
}

bool LoadFromFile(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::string data;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        data.append(buffer, got);
    CloseHandle(file);
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find('\n', start);
        std::string line = data.substr(start, end == std::string::npos ? end : end - start);
        start = end == std::string::npos ? data.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.compare(0, 4, "out ") == 0)
            g_outputs.push_back(line.substr(4));
        else if (line.compare(0, 3, "in ") == 0)
            g_inputs.push_back(line.substr(3));
    }
    return true;
}

void LoadFromSystem()
{
    for (UINT id = 0; id < waveOutGetNumDevs(); ++id) {
        WAVEOUTCAPSW caps;
        if (waveOutGetDevCapsW(id, &caps, sizeof caps) == MMSYSERR_NOERROR)
            g_outputs.push_back(Utf8(caps.szPname));
    }
    for (UINT id = 0; id < waveInGetNumDevs(); ++id) {
        WAVEINCAPSW caps;
        if (waveInGetDevCapsW(id, &caps, sizeof caps) == MMSYSERR_NOERROR)
            g_inputs.push_back(Utf8(caps.szPname));
    }
}
}  // namespace

void LoadSoundDevices()
{
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("SKYPESIM_SOUND_DEVICES", path, sizeof path);
    bool fromFile = length > 0 && length < sizeof path && LoadFromFile(path);
    if (!fromFile)
        LoadFromSystem();
}

bool IsSoundDevice(bool output, const std::string& name)
{
    if (!IsValidUtf8(name))
        return false;
    for (const std::string& device : output ? g_outputs : g_inputs)
        if (device == name)
            return true;
    return false;
}

bool IsValidUtf8(const std::string& text)
{
    // Shortest forms only, no surrogates, nothing above U+10FFFF.
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        if (extra < 0 || text.size() - i <= size_t(extra))
            return false; // not a lead byte, or cut short
        unsigned long code = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        static const unsigned long kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += size_t(extra) + 1;
    }
    return true;
}
