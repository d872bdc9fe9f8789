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
    if (n.handle && (n.name || n.status || !PointsInto(n.handle, text)))
        abort(); // the handle reply is never read as a name or a status
    if (n.name && !PointsInto(n.name, text))
        abort();
    if (n.status && !strstr(text, n.status->word))
        abort();
    // Read what the pointers show, as the driver does.
    if (n.name)
        (void)strlen(n.name);
    if (n.handle)
        (void)strlen(n.handle);
    return 0;
}
