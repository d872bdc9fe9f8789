// Skype's "CALL <id> ..." notifications: any text, read as the driver reads it.
#include <cstdlib>
#include <cstring>

#include "exact_text.h"
#include "pure/ascii_text.h"
#include "pure/call_id.h"
#include "pure/call_notification.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> owned = ExactText(data, size);
    const char* text = owned.get();
    (void)StartsWithIgnoringAsciiCase(text, "CALL ");

    const char* rest = nullptr;
    int32_t id = ReadCallId(text, &rest);
    if (rest && !PointsInto(rest, text))
        abort();

    CallNotification n = ReadCallNotification(text);
    if (n.id != id)
        abort();
    if (id == 0 && (n.handle || n.name || n.status))
        abort(); // nothing is read from a text without an id
    if (int(n.handle != nullptr) + int(n.name != nullptr) + int(n.status != nullptr) > 1)
        abort(); // a name or handle reply never yields a status, nor the one the other
    if (n.handle && !PointsInto(n.handle, text))
        abort();
    if (n.name && !PointsInto(n.name, text))
        abort();
    // A status is read only from the STATUS property, its word the whole rest of the text.
    if (n.status && (!rest || strncmp(rest, " STATUS ", 8) != 0 ||
                     strcmp(rest + 8, n.status->word) != 0))
        abort();
    // Read what the pointers show, as the driver does.
    if (n.name)
        (void)strlen(n.name);
    if (n.handle)
        (void)strlen(n.handle);
    return 0;
}
