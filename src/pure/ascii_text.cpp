// Comparisons folding A-Z only.
#include "pure/ascii_text.h"

#include <cstring>

namespace {
char FoldAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}
} // namespace

bool StartsWithIgnoringAsciiCase(const char* text, const char* pattern)
{
    for (; *pattern; ++text, ++pattern) {
        if (*text == '\0' || FoldAsciiLetter(*text) != FoldAsciiLetter(*pattern))
            return false;
    }
    return true;
}

bool IsAsciiBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool EqualsIgnoringAsciiCase(const char* a, const char* b)
{
    return strlen(a) == strlen(b) && StartsWithIgnoringAsciiCase(a, b);
}
