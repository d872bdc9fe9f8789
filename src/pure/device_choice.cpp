// Sound devices chosen by name.
#include "pure/device_choice.h"

#include <cstring>

namespace {
bool ContainsUsb(const char* name)
{
    return strstr(name, "USB") != nullptr;
}
} // namespace

uint32_t ChooseToneDevice(const char* const* names, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        if (names[i] && strncmp(names[i], "USB", 3) == 0)
            return i;
    }
    // Since Vista the product name follows the endpoint's name: "Speakers (USB Audio Device)".
    for (uint32_t i = 0; i < count; ++i) {
        if (names[i] && ContainsUsb(names[i]))
            return i;
    }
    // Device 0 itself, not WAVE_MAPPER.
    return 0;
}

const char* ChoosePlaybackDevice(const char* const* names, uint32_t count)
{
    const char* chosen = "";
    for (uint32_t i = 0; i < count; ++i) {
        if (!names[i])
            continue;
        if (ContainsUsb(names[i]))
            return names[i];
        if (!*chosen)
            chosen = names[i];
    }
    return chosen;
}

const char* ChooseRecordingDevice(const char* const* names, uint32_t count)
{
    const char* chosen = "";
    for (uint32_t i = 0; i < count; ++i) {
        // A later USB device replaces an earlier one; any name does until a first one is had.
        if (names[i] && (ContainsUsb(names[i]) || !*chosen))
            chosen = names[i];
    }
    return chosen;
}
