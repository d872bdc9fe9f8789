// Text comparisons that fold the ASCII letters only: Skype's words and window names are
// ASCII, and a locale-aware fold would also change bytes of a double-byte code page.
#pragma once

// True when `text` begins with `pattern`, ignoring the case of the ASCII letters A-Z only.
// A text shorter than the pattern never matches.
bool StartsWithIgnoringAsciiCase(const char* text, const char* pattern);
// True when both are equal, ignoring the case of the ASCII letters A-Z only.
bool EqualsIgnoringAsciiCase(const char* a, const char* b);
// The blanks of the C locale: space, tab, newline, vertical tab, form feed, carriage return.
bool IsAsciiBlank(char c);
