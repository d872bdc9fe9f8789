// The choices of sound devices over a list of names: the input is the list, one name per
// line; a line that is a single 0xFF byte stands for a device whose name could not be read.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "exact_text.h"
#include "pure/device_choice.h"

namespace {
bool IsOneOf(const char* chosen, const std::vector<const char*>& names)
{
    for (const char* name : names)
        if (chosen == name)
            return true;
    return false;
}

bool AnyContains(const std::vector<const char*>& names, const char* part)
{
    for (const char* name : names)
        if (name && strstr(name, part))
            return true;
    return false;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::unique_ptr<char[]>> storage;
    std::vector<const char*> names;
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i < size && data[i] != '\n')
            continue;
        if (i - start == 1 && data[start] == 0xFF) {
            names.push_back(nullptr);
        } else {
            storage.push_back(ExactText(data + start, i - start));
            names.push_back(storage.back().get());
        }
        start = i + 1;
    }
    uint32_t count = uint32_t(names.size());

    uint32_t tone = ChooseToneDevice(names.data(), count);
    if (tone != 0 && (tone >= count || !names[tone] || !strstr(names[tone], "USB")))
        abort();

    const char* choices[] = {ChoosePlaybackDevice(names.data(), count),
                             ChooseRecordingDevice(names.data(), count)};
    for (const char* chosen : choices) {
        if (!chosen || (*chosen && !IsOneOf(chosen, names)))
            abort();
        // A USB device, when there is one, is always what Skype is told to use.
        if (AnyContains(names, "USB") && !strstr(chosen, "USB"))
            abort();
    }
    return 0;
}
