// The simulated handset's shared state, its lock and the journal of library calls.
#include "sim_device.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>

HMODULE g_simModule = nullptr;

namespace {
CRITICAL_SECTION g_lock;
SimDeviceState* g_state = nullptr;
std::deque<std::string>* g_journal = nullptr;
size_t g_journalMemoryLines = 4096;

struct TimelineEntry {
    LONGLONG qpc;
    char text[kTimelineTextSize];
};
// Fixed storage: recording a line never allocates. Guarded by the device lock.
TimelineEntry g_timeline[kTimelineSize];
unsigned g_timelineCount = 0; // lines ever recorded; the newest is at (count - 1) % size
HANDLE g_journalFile = INVALID_HANDLE_VALUE;
bool g_journalFileTried = false;

// Opened on first use, not in DllMain; written with WriteFile so that every line is in the
// file as soon as the call returns, also when the process is killed afterwards.
void WriteJournalFile(const std::string& line)
{
    if (!g_journalFileTried) {
        g_journalFileTried = true;
        char path[MAX_PATH];
        DWORD length = GetEnvironmentVariableA("USBPHONE_SIM_JOURNAL", path, sizeof path);
        if (length > 0 && length < sizeof path)
            g_journalFile = CreateFileA(path, FILE_APPEND_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (g_journalFile == INVALID_HANDLE_VALUE)
        return;
    std::string withEnd = line + "\r\n";
    DWORD written = 0;
    (void)WriteFile(g_journalFile, withEnd.data(), (DWORD)withEnd.size(), &written, nullptr);
}

size_t JournalMemoryLines()
{
    char text[32];
    DWORD length = GetEnvironmentVariableA("USBPHONE_SIM_JOURNAL_MEMORY", text, sizeof text);
    if (length == 0 || length >= sizeof text)
        return 4096;
    long lines = strtol(text, nullptr, 10);
    return lines < 0 ? 0 : (size_t)lines;
}

// Under the device lock.
void TimelineAddLocked(LONGLONG qpc, const std::string& line)
{
    TimelineEntry& entry = g_timeline[g_timelineCount % kTimelineSize];
    entry.qpc = qpc;
    size_t length = line.size() < sizeof entry.text - 1 ? line.size() : sizeof entry.text - 1;
    memcpy(entry.text, line.data(), length);
    entry.text[length] = '\0';
    ++g_timelineCount;
}

LONGLONG Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

int InitialOpenResult()
{
    char text[32];
    DWORD length = GetEnvironmentVariableA("USBPHONE_SIM_OPEN_RESULT", text, sizeof text);
    if (length == 0 || length >= sizeof text)
        return 0;
    return (int)strtol(text, nullptr, 10);
}
} // namespace

void SimDeviceAttach()
{
    InitializeCriticalSection(&g_lock);
    g_state = new SimDeviceState;
    g_state->openResult = InitialOpenResult();
    g_journal = new std::deque<std::string>;
    g_journalMemoryLines = JournalMemoryLines();
}

void SimDeviceDetach(bool unloading)
{
    // At process exit the other threads are already gone, possibly inside the lock: write
    // without it then.
    if (unloading)
        EnterCriticalSection(&g_lock);
    WriteJournalFile(SimFormat("%lu Unload", GetCurrentThreadId()));
    if (g_journalFile != INVALID_HANDLE_VALUE)
        CloseHandle(g_journalFile);
    g_journalFile = INVALID_HANDLE_VALUE;
    if (!unloading)
        return;
    LeaveCriticalSection(&g_lock);
    delete g_journal;
    delete g_state;
    DeleteCriticalSection(&g_lock);
}

void PowerOff(SimDeviceState& state)
{
    state.lcdMode = -1;
    state.lcdText.clear();
    state.inCall = false;
    state.skype = false;
    state.light = false;
    state.ringing = false;
}

SimDeviceLock::SimDeviceLock() { EnterCriticalSection(&g_lock); }
SimDeviceLock::~SimDeviceLock() { LeaveCriticalSection(&g_lock); }
SimDeviceState& SimDeviceLock::state() { return *g_state; }

HANDLE StartSimThread(LPTHREAD_START_ROUTINE start, void* parameter, DWORD* threadId)
{
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCSTR>(&StartSimThread), &self))
        return nullptr;
    HANDLE thread = CreateThread(nullptr, 0, start, parameter, 0, threadId);
    if (!thread)
        FreeLibrary(self);
    return thread;
}

void EndSimThread()
{
    FreeLibraryAndExitThread(g_simModule, 0);
}

void JournalAdd(const std::string& entry)
{
    LONGLONG qpc = Now();
    std::string line = SimFormat("%lu ", GetCurrentThreadId()) + entry;
    SimDeviceLock lock;
    TimelineAddLocked(qpc, line);
    if (g_journalMemoryLines > 0) {
        if (g_journal->size() >= g_journalMemoryLines)
            g_journal->pop_front();
        g_journal->push_back(line);
    }
    WriteJournalFile(line);
}

void TimelineAdd(const std::string& line)
{
    LONGLONG qpc = Now();
    SimDeviceLock lock;
    TimelineAddLocked(qpc, line);
}

std::string TimelineText()
{
    SimDeviceLock lock;
    std::string text;
    unsigned first = g_timelineCount > kTimelineSize ? g_timelineCount - kTimelineSize : 0;
    for (unsigned n = first; n < g_timelineCount; ++n) {
        const TimelineEntry& entry = g_timeline[n % kTimelineSize];
        text += SimFormat("%lld %s\n", (long long)entry.qpc, entry.text);
    }
    return text;
}

std::string JournalText()
{
    SimDeviceLock lock;
    std::string text;
    for (const std::string& line : *g_journal) {
        text += line;
        text += '\n';
    }
    return text;
}

std::string SimFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    char small[256];
    int length = vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (length < 0)
        return std::string();
    if ((size_t)length < sizeof small)
        return std::string(small, length);
    std::string big(length + 1, '\0');
    va_start(args, format);
    vsnprintf(&big[0], big.size(), format, args);
    va_end(args);
    big.resize(length);
    return big;
}

std::string QuoteText(const char* text)
{
    if (!text)
        return "null";
    std::string quoted = "\"";
    for (const unsigned char* p = (const unsigned char*)text; *p; ++p) {
        if (*p == '"' || *p == '\\') {
            quoted += '\\';
            quoted += (char)*p;
        } else if (*p < 0x20 || *p == 0x7f) {
            quoted += SimFormat("\\x%02x", *p);
        } else {
            quoted += (char)*p;
        }
    }
    quoted += '"';
    return quoted;
}
