// The control channel of the simulator: events in, Open's result, state and journal out.
#include "sim_control.h"

#include <psapi.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "sim_device.h"
#include "sim_events.h"
#include "sim_protocol.h"

namespace {
// A reply that a hung client does not get within this time is dropped.
const UINT kReplyTimeoutMs = 5000;

std::string PayloadText(const COPYDATASTRUCT* request)
{
    if (!request->lpData || request->cbData == 0)
        return std::string();
    std::string text(static_cast<const char*>(request->lpData), request->cbData);
    size_t end = text.find('\0');
    return end == std::string::npos ? text : text.substr(0, end);
}

// "key N" / "plug N" lines; false when one of them is neither.
bool ParseEvents(const std::string& text, std::vector<SimEvent>* events)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty())
            continue;
        bool plug = line.compare(0, 5, "plug ") == 0;
        if (!plug && line.compare(0, 4, "key ") != 0)
            return false;
        char* after = nullptr;
        const char* number = line.c_str() + (plug ? 5 : 4);
        long value = strtol(number, &after, 10);
        if (after == number || *after != '\0')
            return false;
        events->push_back(SimEvent{plug, (int)value});
    }
    return !events->empty();
}

bool ParseInt(const std::string& text, int* value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    long parsed = strtol(text.c_str(), &end, 10);
    if (*end != '\0')
        return false;
    *value = (int)parsed;
    return true;
}

std::string StateText()
{
    SimDeviceLock lock;
    const SimDeviceState& s = lock.state();
    return SimFormat("pid=%lu\nopened=%d\nbound=%d\nclosed=%d\nconnected=%d\nopenResult=%d\n"
                     "lcdMode=%d\ninCall=%d\nskype=%d\nlight=%d\nringing=%d\nhook=%d\n"
                     "eventsDelivered=%u\neventsDropped=%u\nstackFaults=%u\neventsInline=%u\n"
                     "callbacksOverlap=%u\nlcdLongest=%lu\nlcdText=",
                     GetCurrentProcessId(), s.opened, s.bound, s.closed, s.connected,
                     s.openResult, s.lcdMode, s.inCall, s.skype, s.light, s.ringing, s.hook,
                     s.eventsDelivered, s.eventsDropped, s.stackFaults, s.eventsInline,
                     s.callbacksOverlap, (unsigned long)s.lcdLongest) +
           s.lcdText;
}

// Bytes in use in every heap of the process, block by block.
unsigned long long HeapBusyBytes()
{
    HANDLE heaps[64];
    DWORD count = GetProcessHeaps(64, heaps);
    unsigned long long busy = 0;
    for (DWORD n = 0; n < count && n < 64; ++n) {
        if (!HeapLock(heaps[n]))
            continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[n], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                busy += entry.cbData;
        HeapUnlock(heaps[n]);
    }
    return busy;
}

// Committed private memory, region by region (Wine reports no PrivateUsage).
unsigned long long CommittedPrivateBytes()
{
    unsigned long long committed = 0;
    MEMORY_BASIC_INFORMATION region;
    const char* address = nullptr;
    while (VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            committed += region.RegionSize;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return committed;
}

// Read from inside the process: Wine answers these only for the calling process.
std::string ProcessText()
{
    FILETIME created, exited, kernel, user;
    unsigned long long cpu = 0;
    if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        cpu = ((unsigned long long)kernel.dwHighDateTime << 32 | kernel.dwLowDateTime) +
              ((unsigned long long)user.dwHighDateTime << 32 | user.dwLowDateTime);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    (void)GetProcessMemoryInfo(GetCurrentProcess(),
                               reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    return SimFormat("cpu100ns=%llu\nprivate=%llu\nworkingSet=%llu\ncommitted=%llu\n"
                     "heapBusy=%llu", cpu, (unsigned long long)memory.PrivateUsage,
                     (unsigned long long)memory.WorkingSetSize, CommittedPrivateBytes(),
                     HeapBusyBytes());
}

bool Reply(HWND control, HWND replyWindow, ULONG_PTR command, const std::string& text)
{
    if (!IsWindow(replyWindow))
        return false;
    COPYDATASTRUCT answer;
    answer.dwData = command;
    answer.cbData = (DWORD)text.size() + 1;
    answer.lpData = const_cast<char*>(text.c_str());
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(replyWindow, WM_COPYDATA, reinterpret_cast<WPARAM>(control),
                               reinterpret_cast<LPARAM>(&answer), SMTO_ABORTIFHUNG,
                               kReplyTimeoutMs, &result) != 0;
}

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COPYDATA:
        return HandleControlRequest(window, reinterpret_cast<HWND>(wParam),
                                    reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

bool RegisterControlClass()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ControlWindowProc;
    windowClass.hInstance = g_simModule;
    windowClass.lpszClassName = HANDSET_SIM_CONTROL_CLASS;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LRESULT HandleControlRequest(HWND control, HWND replyWindow, const COPYDATASTRUCT* request)
{
    if (!request)
        return 0;
    int value = 0;
    switch (request->dwData) {
    case kSimCommandKey:
        return ParseInt(PayloadText(request), &value) && QueueKeyEvent(value);
    case kSimCommandPlug:
        return ParseInt(PayloadText(request), &value) && QueuePlugEvent(value);
    case kSimCommandOpenResult:
        if (!ParseInt(PayloadText(request), &value))
            return 0;
        {
            SimDeviceLock lock;
            lock.state().openResult = value;
        }
        NotifyStateChanged();
        return 1;
    case kSimCommandEvents: {
        std::vector<SimEvent> events;
        return ParseEvents(PayloadText(request), &events) && QueueEvents(events);
    }
    case kSimCommandDelivery: {
        SimDeliveryMode mode;
        int threads = 0;
        return ParseDeliveryMode(PayloadText(request), &mode, &threads) &&
               SetDeliveryMode(mode, threads);
    }
    case kSimCommandState:
        return Reply(control, replyWindow, request->dwData, StateText());
    case kSimCommandJournal:
        return Reply(control, replyWindow, request->dwData, JournalText());
    case kSimCommandProcess:
        return Reply(control, replyWindow, request->dwData, ProcessText());
    case kSimCommandTimeline:
        return Reply(control, replyWindow, request->dwData, TimelineText());
    }
    return 0;
}
