// Skype's UTF-8 texts turned into the handset LCD's single-byte text.
#pragma once

// Decodes `utf8` (NUL-terminated) and writes it to `out` as the LCD's text: ASCII as it is;
// the Latin-1 and Latin Extended-A letters spelled in ASCII (marks dropped, ß as "ss", Þ as
// "Th", ...); every other character as one "?"; every byte that is not part of well-formed
// UTF-8 as one "?". Keeps the first `capacity - 1` characters of that text (capacity >= 1)
// and a terminating NUL; returns the number of characters written.
int FoldUtf8ForLcd(const char* utf8, char* out, int capacity);
