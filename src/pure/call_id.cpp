// Reading the id of Skype's call texts, as sscanf's "CALL %d" would.
#include "pure/call_id.h"

#include <cstring>

#include "pure/ascii_text.h"

int32_t ReadCallId(const char* text, const char** rest)
{
    if (rest)
        *rest = nullptr;
    if (strncmp(text, "CALL", 4) != 0)
        return 0;
    const char* p = text + 4;
    while (IsAsciiBlank(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (*p < '0' || *p > '9')
        return 0;
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > INT32_MAX + int64_t(1))
            return 0; // out of range counts as unreadable
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return 0;
    if (rest)
        *rest = p;
    return int32_t(value);
}
