// One ordered log of events from any thread (recorders append, tests compare).
#pragma once
#include <mutex>
#include <string>
#include <vector>

class EventLog {
public:
    void Add(const std::string& event);
    std::vector<std::string> Snapshot() const;
    void Clear();
    size_t Size() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> events_;
};

// The one log that every recorder of a test program appends to (seam fakes, fake Skype
// windows, ...), so that the order across parties is kept.
EventLog& SharedLog();

// printf-style formatting into a std::string, for building log entries.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
