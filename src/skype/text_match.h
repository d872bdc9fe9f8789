// Text tests used on Skype's texts and window names.
#pragma once

// True when `text` begins with `prefix`, comparing the ASCII letters A-Z without regard to
// case and every other byte exactly (independent of the locale and code page). A text
// shorter than the prefix does not match.
bool StartsWithAsciiNoCase(const char* text, const char* prefix);
