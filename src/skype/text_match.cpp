// ASCII-only case-blind prefix test.
#include "skype/text_match.h"

namespace {
char FoldAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}
} // namespace

bool StartsWithAsciiNoCase(const char* text, const char* prefix)
{
    for (; *prefix; ++text, ++prefix) {
        if (*text == '\0' || FoldAscii(*text) != FoldAscii(*prefix))
            return false;
    }
    return true;
}
