// The event thread of the simulated handset library.
#include "sim_events.h"

#include <windows.h>

#include <deque>

#include "sim_device.h"

namespace {
struct SimEvent {
    bool plug;
    int value;
};

// Guarded by the device lock.
std::deque<SimEvent> g_queue;
bool g_stop = false;
HANDLE g_thread = nullptr;
DWORD g_threadId = 0;
HANDLE g_wake = nullptr;

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

// Takes the next event; false when the thread is to end or nothing is queued.
bool NextEvent(SimEvent* event, bool* stop)
{
    SimDeviceLock lock;
    *stop = g_stop;
    if (g_stop || g_queue.empty())
        return false;
    *event = g_queue.front();
    g_queue.pop_front();
    return true;
}

// A callback runs inside the delivery lock, so Close waits for it and no callback starts
// once Close has marked the device closed.
void DeliverOne(const SimEvent& event)
{
    EnterDelivery();
    HandsetKeyCallback key = nullptr;
    HandsetPlugCallback plug = nullptr;
    {
        SimDeviceLock lock;
        SimDeviceState& state = lock.state();
        if (!state.closed && state.bound) {
            key = state.keyCallback;
            plug = state.plugCallback;
        }
        if (event.plug ? !plug : !key) {
            ++state.eventsDropped;
            key = nullptr;
            plug = nullptr;
        }
    }
    if (key || plug) {
        // Stamped as late as possible before the call: a timing tool measures from here.
        TimelineAdd(SimFormat("%lu Deliver %s %d", GetCurrentThreadId(),
                              event.plug ? "plug" : "key", event.value));
        unsigned faults = Deliver(event, key, plug);
        SimDeviceLock lock;
        ++lock.state().eventsDelivered;
        lock.state().stackFaults += faults;
    }
    LeaveDelivery();
    NotifyStateChanged();
}

DWORD WINAPI EventThread(void*)
{
    for (;;) {
        WaitForSingleObject(g_wake, INFINITE);
        SimEvent event;
        bool stop = false;
        while (NextEvent(&event, &stop))
            DeliverOne(event);
        if (stop)
            break;
    }
    EndSimThread();
}

bool Queue(bool plug, int value)
{
    {
        SimDeviceLock lock;
        SimDeviceState& state = lock.state();
        if (!g_thread || g_stop || !state.bound || state.closed) {
            ++state.eventsDropped;
            return false;
        }
        g_queue.push_back(SimEvent{plug, value});
        if (plug)
            state.connected = value != 0;
        else if (value == 70 || value == 80)
            state.hook = value == 70 ? 1 : 0;
    }
    SetEvent(g_wake);
    NotifyStateChanged();
    return true;
}
} // namespace

bool StartEventThread()
{
    SimDeviceLock lock;
    if (g_thread)
        return true;
    if (!g_wake)
        g_wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    g_stop = false;
    g_queue.clear();
    g_thread = StartSimThread(EventThread, nullptr, &g_threadId);
    return g_thread != nullptr;
}

void StopEventThread()
{
    HANDLE thread;
    {
        SimDeviceLock lock;
        thread = g_thread;
        if (!thread)
            return;
        g_stop = true;
        g_queue.clear();
        g_thread = nullptr;
    }
    SetEvent(g_wake);
    // From a callback the thread ends by itself once the callback returns.
    if (GetCurrentThreadId() != g_threadId)
        WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
}

bool QueueKeyEvent(int code)
{
    return Queue(false, code);
}

bool QueuePlugEvent(int connected)
{
    return Queue(true, connected);
}
