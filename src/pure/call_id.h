// The call id at the start of Skype's "CALL <id> ..." texts.
#pragma once
#include <cstdint>

// The call id as "CALL %d" reads it: optional blanks and sign; 0 when unreadable or out of
// range. `rest`, when given, gets where the text goes on after the id (null when no id could
// be read).
int32_t ReadCallId(const char* text, const char** rest);
