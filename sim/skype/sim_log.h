// The simulator's log: every command received, every message sent to the client and every
// attach reply, in order and with a millisecond time stamp.
#pragma once
#include <string>

// Time stamps count from this call (made once at start).
void StartLogClock();

// Appends an entry (and shows it in the main window's log list).
void LogEvent(const std::string& text);

void ClearLog();

// printf-style formatting into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
