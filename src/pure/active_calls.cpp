// Reading the list of calls Skype holds.
#include "pure/active_calls.h"

#include <cstring>

namespace {
const char kPrefix[] = "CALLS ";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// One id at `p`; 0 when none is there or it is out of range. `end` gets where it stops.
int32_t ReadId(const char* p, const char** end)
{
    int64_t value = 0;
    const char* start = p;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > INT32_MAX)
            return 0;
    }
    *end = p;
    return p == start ? 0 : int32_t(value);
}
} // namespace

int ReadActiveCalls(const char* text, int32_t* ids, int capacity)
{
    if (strncmp(text, kPrefix, sizeof kPrefix - 1) != 0)
        return -1;
    int count = 0;
    const char* p = text + sizeof kPrefix - 1;
    while (count < capacity) {
        while (IsBlank(*p))
            ++p;
        if (*p == '\0')
            break;
        const char* end = p;
        int32_t id = ReadId(p, &end);
        if (id == 0)
            break; // not an id: what follows is not read as one
        p = end;
        while (IsBlank(*p))
            ++p;
        if (*p != ',' && *p != '\0')
            break; // "12x" or "12 34": the item is not one id
        ids[count++] = id;
        if (*p == ',')
            ++p;
    }
    return count;
}
