// Reading Skype's answer to "SEARCH ACTIVECALLS": "CALLS 12, 34", or "CALLS " when none.
#pragma once
#include <cstdint>

// How many calls the driver asks Skype about after one search: a handset has room for a
// conversation, a call on hold and one ringing; the rest of a longer list is not asked.
enum { kMaxActiveCallsAsked = 8 };

// The ids of the reply `text` (NUL-terminated), in their order, at most `capacity` of them
// into `ids`; the rest are not read. Ids are decimal, 1 to 2147483647, separated by a comma
// and blanks; a malformed item ends the list there. -1 when `text` is no "CALLS " reply
// (an "ERROR <n>" from a Skype that does not know the search, for example).
int ReadActiveCalls(const char* text, int32_t* ids, int capacity);
