// Skype's "CALLS <id>, <id>" reply to the search for calls: any text, read as the driver reads
// it.
#include <cstdlib>
#include <cstring>

#include "exact_text.h"
#include "pure/active_calls.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> owned = ExactText(data, size);
    const char* text = owned.get();
    // One slot more than it may fill: a write past `capacity` would show there.
    int32_t ids[kMaxActiveCallsAsked + 1];
    ids[kMaxActiveCallsAsked] = -7;
    int count = ReadActiveCalls(text, ids, kMaxActiveCallsAsked);
    if (count < -1 || count > kMaxActiveCallsAsked || ids[kMaxActiveCallsAsked] != -7)
        abort();
    if (count >= 0 && strncmp(text, "CALLS ", 6) != 0)
        abort(); // only the reply yields ids
    for (int i = 0; i < count; ++i)
        if (ids[i] < 1)
            abort(); // every id is one Skype could name
    return 0;
}
