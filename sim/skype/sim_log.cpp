// The simulator's log (see sim_log.h).
#include "sim_log.h"

#include <cstdarg>
#include <cstdio>

#include "main_form.h"
#include "sim_state.h"

namespace {
DWORD MillisecondsSinceStart()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return DWORD((now.QuadPart - g_sim.startCounter.QuadPart) * 1000 /
                 g_sim.counterFrequency.QuadPart);
}
}  // namespace

void StartLogClock()
{
    QueryPerformanceFrequency(&g_sim.counterFrequency);
    QueryPerformanceCounter(&g_sim.startCounter);
}

void LogEvent(const std::string& text)
{
    DWORD ms = MillisecondsSinceStart();
    g_sim.log.push_back(SimLogEntry{ms, text});
    ShowLogLine(Format("%lu.%03lu  %s", ms / 1000, ms % 1000, text.c_str()));
}

void ClearLog()
{
    g_sim.log.clear();
    ClearLogLines();
}

std::string Format(const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    int length = vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length < 0)
        return std::string();
    if (size_t(length) < sizeof buffer)
        return std::string(buffer, size_t(length));
    std::string text(size_t(length) + 1, '\0');
    va_start(args, format);
    vsnprintf(&text[0], text.size(), format, args);
    va_end(args);
    text.resize(size_t(length));
    return text;
}
