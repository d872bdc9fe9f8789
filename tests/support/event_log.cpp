// One ordered log of events from any thread.
#include "event_log.h"

#include <cstdarg>
#include <cstdio>

void EventLog::Add(const std::string& event)
{
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(event);
}

std::vector<std::string> EventLog::Snapshot() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

void EventLog::Clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    events_.clear();
}

size_t EventLog::Size() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return events_.size();
}

EventLog& SharedLog()
{
    // Never destroyed: recorders may still append while global objects are torn down.
    static EventLog* log = new EventLog;
    return *log;
}

std::string Format(const char* format, ...)
{
    char buffer[4096];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}
