// The delivery of queued events through the bound callbacks: from the library's event
// thread, inline from inside an entry point, or from several threads at once.
#include "sim_events.h"

#include <windows.h>

#include <cstdlib>
#include <deque>

#include "sim_device.h"

namespace {
struct Queued {
    SimEvent event;
    int lane; // the delivery thread that takes it (always 0 but in kDeliverFromThreads)
};

struct Worker {
    HANDLE thread;
    DWORD id;
    HANDLE wake;
};

// All guarded by the device lock.
std::deque<Queued> g_queue;
SimDeliveryMode g_mode = kDeliverFromEventThread;
int g_lanes = 1;
unsigned g_nextLane = 0;
bool g_stop = false;
bool g_inlineBusy = false; // an inline delivery runs (no nesting, one caller at a time)
Worker g_workers[kMaxDeliveryThreads];
// Threads inside a callback right now, so that Close can wait for the others.
enum { kMaxInFlight = 32 };
DWORD g_inFlight[kMaxInFlight];
unsigned g_inFlightCount = 0;
HANDLE g_callbackEnded = nullptr; // auto-reset, set whenever a callback returns

#if defined(__i386__)
// Calls `fn` the stdcall way with `count` (1 or 2) arguments and returns how far ESP ended
// up from where it was before the arguments were pushed: 0 when the callee removed them, as
// the callback convention requires. ESP is restored either way, so a callback of the wrong
// convention is counted instead of corrupting this thread's stack.
int CallStdcallChecked(void* fn, int first, int second, int count)
{
    int delta;
    __asm__ volatile(
        "movl %%esp, %%esi\n\t"
        "cmpl $2, %%ecx\n\t"
        "jne 1f\n\t"
        "pushl %%edx\n"
        "1:\n\t"
        "pushl %%edi\n\t"
        "call *%%ebx\n\t"
        "movl %%esp, %%eax\n\t"
        "subl %%esi, %%eax\n\t"
        "movl %%esi, %%esp\n\t"
        : "=a"(delta), "+c"(count), "+d"(second)
        : "b"(fn), "D"(first)
        : "esi", "memory", "cc");
    return delta;
}
#endif

// Returns the number of stack faults (0 or 1) the call showed.
unsigned Deliver(const SimEvent& event, HandsetKeyCallback key, HandsetPlugCallback plug)
{
#if defined(__i386__)
    if (event.plug)
        return CallStdcallChecked(reinterpret_cast<void*>(plug), event.value, 0, 2) != 0;
    return CallStdcallChecked(reinterpret_cast<void*>(key), event.value, 0, 1) != 0;
#else
    if (event.plug)
        plug(event.value, 0);
    else
        key(event.value);
    return 0;
#endif
}

// Under the device lock.
void RemoveInFlight(DWORD thread)
{
    for (unsigned n = 0; n < g_inFlightCount; ++n) {
        if (g_inFlight[n] == thread) {
            g_inFlight[n] = g_inFlight[--g_inFlightCount];
            return;
        }
    }
}

bool InFlightElsewhere(DWORD thread)
{
    for (unsigned n = 0; n < g_inFlightCount; ++n)
        if (g_inFlight[n] != thread)
            return true;
    return false;
}

// One callback, unless the device is closed or nothing is bound for it. Close marks the
// device closed under the lock and then waits for the threads registered here, so no
// callback starts after Close and none is left running when it returns.
void DeliverOne(const SimEvent& event, bool inlineCall)
{
    HandsetKeyCallback key = nullptr;
    HandsetPlugCallback plug = nullptr;
    DWORD self = GetCurrentThreadId();
    {
        SimDeviceLock lock;
        SimDeviceState& state = lock.state();
        if (!state.closed && state.bound) {
            key = state.keyCallback;
            plug = state.plugCallback;
        }
        if ((event.plug ? !plug : !key) || g_inFlightCount == kMaxInFlight) {
            ++state.eventsDropped;
            return;
        }
        g_inFlight[g_inFlightCount++] = self;
        if (++state.callbacksRunning > state.callbacksOverlap)
            state.callbacksOverlap = state.callbacksRunning;
        if (inlineCall)
            ++state.eventsInline;
    }
    // Stamped as late as possible before the call: a timing tool measures from here.
    TimelineAdd(SimFormat("%lu Deliver %s %d", self, event.plug ? "plug" : "key", event.value));
    unsigned faults = Deliver(event, key, plug);
    {
        SimDeviceLock lock;
        SimDeviceState& state = lock.state();
        ++state.eventsDelivered;
        state.stackFaults += faults;
        --state.callbacksRunning;
        RemoveInFlight(self);
    }
    SetEvent(g_callbackEnded);
    NotifyStateChanged();
}

// The next event for delivery thread `lane`; false when there is none for it (or the mode
// leaves delivery to the entry points). `stop` says the thread is to end.
bool NextForLane(int lane, SimEvent* event, bool* stop)
{
    SimDeviceLock lock;
    *stop = g_stop;
    if (g_stop || g_mode == kDeliverInline)
        return false;
    for (auto it = g_queue.begin(); it != g_queue.end(); ++it) {
        if (it->lane == lane) {
            *event = it->event;
            g_queue.erase(it);
            return true;
        }
    }
    return false;
}

bool NextInline(SimEvent* event)
{
    SimDeviceLock lock;
    if (g_stop || g_mode != kDeliverInline || g_queue.empty())
        return false;
    *event = g_queue.front().event;
    g_queue.pop_front();
    return true;
}

DWORD WINAPI DeliveryThread(void* parameter)
{
    int lane = int(reinterpret_cast<INT_PTR>(parameter));
    HANDLE wake;
    {
        SimDeviceLock lock;
        wake = g_workers[lane].wake;
    }
    for (;;) {
        WaitForSingleObject(wake, INFINITE);
        SimEvent event;
        bool stop = false;
        while (NextForLane(lane, &event, &stop))
            DeliverOne(event, false);
        if (stop)
            break;
    }
    EndSimThread();
}

// Under the device lock: starts delivery thread `lane` unless it runs.
bool StartWorkerLocked(int lane)
{
    Worker& worker = g_workers[lane];
    if (worker.thread)
        return true;
    if (!worker.wake)
        worker.wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!worker.wake)
        return false;
    worker.thread = StartSimThread(DeliveryThread, reinterpret_cast<void*>(INT_PTR(lane)),
                                   &worker.id);
    return worker.thread != nullptr;
}

// Under the device lock: which lanes must be woken for what is queued.
unsigned LanesWithWorkLocked()
{
    unsigned lanes = 0;
    for (const Queued& queued : g_queue)
        lanes |= 1u << queued.lane;
    return lanes;
}

void WakeLanes(unsigned lanes)
{
    HANDLE wakes[kMaxDeliveryThreads] = {};
    {
        SimDeviceLock lock;
        for (int lane = 0; lane < kMaxDeliveryThreads; ++lane)
            if ((lanes >> lane) & 1)
                wakes[lane] = g_workers[lane].thread ? g_workers[lane].wake : nullptr;
    }
    for (HANDLE wake : wakes)
        if (wake)
            SetEvent(wake);
}
} // namespace

bool StartEventThread()
{
    SimDeviceLock lock;
    if (!g_callbackEnded)
        g_callbackEnded = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (g_workers[0].thread)
        return true;
    g_stop = false;
    g_queue.clear();
    g_nextLane = 0;
    bool ok = g_callbackEnded != nullptr;
    int lanes = g_mode == kDeliverFromThreads ? g_lanes : 1;
    for (int lane = 0; lane < lanes; ++lane)
        ok = StartWorkerLocked(lane) && ok;
    return ok;
}

void StopEventThread()
{
    Worker workers[kMaxDeliveryThreads];
    DWORD self = GetCurrentThreadId();
    {
        SimDeviceLock lock;
        g_stop = true;
        g_queue.clear();
        for (int lane = 0; lane < kMaxDeliveryThreads; ++lane) {
            workers[lane] = g_workers[lane];
            g_workers[lane].thread = nullptr;
            g_workers[lane].id = 0;
        }
    }
    // Callbacks in flight on other threads end first (the device is already marked closed,
    // so no new one starts). One on this thread is the caller itself.
    for (;;) {
        {
            SimDeviceLock lock;
            if (!InFlightElsewhere(self))
                break;
        }
        WaitForSingleObject(g_callbackEnded, 100);
    }
    for (Worker& worker : workers)
        if (worker.thread)
            SetEvent(worker.wake);
    for (Worker& worker : workers) {
        if (!worker.thread)
            continue;
        // From a callback its thread ends by itself once the callback returns.
        if (worker.id != self)
            WaitForSingleObject(worker.thread, 10000);
        CloseHandle(worker.thread);
    }
}

bool QueueEvents(const std::vector<SimEvent>& events)
{
    unsigned lanes = 0;
    SimDeliveryMode mode;
    {
        SimDeviceLock lock;
        SimDeviceState& state = lock.state();
        if (!g_workers[0].thread || g_stop || !state.bound || state.closed) {
            state.eventsDropped += unsigned(events.size());
            return false;
        }
        for (const SimEvent& event : events) {
            bool hookKey = !event.plug && (event.value == 70 || event.value == 80);
            // The hook moves whether or not the handset is plugged in.
            if (hookKey)
                state.hook = event.value == 70 ? 1 : 0;
            if (event.plug) {
                state.connected = event.value != 0;
                if (!state.connected)
                    PowerOff(state);
            } else if (!state.connected) {
                continue; // an unplugged handset reports nothing
            }
            int lane = g_mode == kDeliverFromThreads ? int(g_nextLane++ % unsigned(g_lanes)) : 0;
            g_queue.push_back(Queued{event, lane});
            lanes |= 1u << lane;
        }
        mode = g_mode;
    }
    if (mode != kDeliverInline)
        WakeLanes(lanes);
    NotifyStateChanged();
    return true;
}

bool QueueKeyEvent(int code)
{
    return QueueEvents({SimEvent{false, code}});
}

bool QueuePlugEvent(int connected)
{
    return QueueEvents({SimEvent{true, connected}});
}

bool SetDeliveryMode(SimDeliveryMode mode, int threads)
{
    if (mode == kDeliverFromThreads && (threads < 2 || threads > kMaxDeliveryThreads))
        return false;
    unsigned lanes = 0;
    {
        SimDeviceLock lock;
        g_mode = mode;
        g_lanes = mode == kDeliverFromThreads ? threads : 1;
        g_nextLane = 0;
        for (Queued& queued : g_queue)
            queued.lane = int(g_nextLane++ % unsigned(g_lanes));
        if (g_workers[0].thread && !g_stop) {
            for (int lane = 1; lane < g_lanes; ++lane)
                if (!StartWorkerLocked(lane))
                    return false;
        }
        if (mode != kDeliverInline)
            lanes = LanesWithWorkLocked();
    }
    WakeLanes(lanes);
    return true;
}

std::string DeliveryModeText()
{
    SimDeviceLock lock;
    switch (g_mode) {
    case kDeliverInline:
        return "inline";
    case kDeliverFromThreads:
        return SimFormat("threads:%d", g_lanes);
    case kDeliverFromEventThread:
        break;
    }
    return "thread";
}

bool ParseDeliveryMode(const std::string& text, SimDeliveryMode* mode, int* threads)
{
    *threads = 1;
    if (text == "thread") {
        *mode = kDeliverFromEventThread;
        return true;
    }
    if (text == "inline") {
        *mode = kDeliverInline;
        return true;
    }
    const std::string prefix = "threads:";
    if (text.compare(0, prefix.size(), prefix) != 0)
        return false;
    char* end = nullptr;
    long count = strtol(text.c_str() + prefix.size(), &end, 10);
    if (*end != '\0' || count < 2 || count > kMaxDeliveryThreads)
        return false;
    *mode = kDeliverFromThreads;
    *threads = int(count);
    return true;
}

void DeliverInline()
{
    {
        SimDeviceLock lock;
        if (g_mode != kDeliverInline || g_inlineBusy || g_stop)
            return;
        g_inlineBusy = true;
    }
    SimEvent event;
    while (NextInline(&event))
        DeliverOne(event, true);
    SimDeviceLock lock;
    g_inlineBusy = false;
}
