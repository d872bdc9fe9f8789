// The library's window thread: control window (message-only) and, on request, the handset
// window. It runs its own message loop, so the channel answers while the program's main
// thread is busy playing a tone or sending to Skype.
#include "sim_window_thread.h"

#include <windows.h>

#include "handset_window.h"
#include "sim_control.h"
#include "sim_device.h"
#include "sim_protocol.h"

namespace {
// Guarded by the device lock.
HANDLE g_thread = nullptr;
DWORD g_threadId = 0;
HWND g_control = nullptr;

struct StartContext {
    HANDLE ready;
    bool showHandset; // read at Open, on the program's thread, like the rest of the setup
    bool ok;
};

DWORD WINAPI WindowThread(void* parameter)
{
    StartContext* context = static_cast<StartContext*>(parameter);
    // Message-only: clients find it with FindWindowEx(HWND_MESSAGE, ...), and it takes no
    // part in the broadcasts that the program and Skype exchange.
    HWND control = RegisterControlClass()
                       ? CreateWindowExA(0, HANDSET_SIM_CONTROL_CLASS, "Handset simulator", 0,
                                         0, 0, 0, 0, HWND_MESSAGE, nullptr, g_simModule,
                                         nullptr)
                       : nullptr;
    {
        SimDeviceLock lock;
        g_control = control;
    }
    bool showHandset = context->showHandset;
    context->ok = control != nullptr;
    SetEvent(context->ready); // the context is gone after this
    if (control) {
        if (showHandset)
            (void)CreateHandsetWindow(); // the channel works without it
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        DestroyHandsetWindow();
    }
    EndSimThread();
}
} // namespace

bool StartWindowThread()
{
    {
        SimDeviceLock lock;
        if (g_thread)
            return true;
    }
    StartContext context = {CreateEventA(nullptr, TRUE, FALSE, nullptr), HandsetWindowWanted(),
                            false};
    if (!context.ready)
        return false;
    DWORD threadId = 0;
    HANDLE thread = StartSimThread(WindowThread, &context, &threadId);
    bool ok = thread && WaitForSingleObject(context.ready, 10000) == WAIT_OBJECT_0 && context.ok;
    if (thread && !ok) {
        // The thread ends by itself when its window could not be made; it still reads the
        // context, so wait for it.
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
        thread = nullptr;
    }
    CloseHandle(context.ready);
    if (thread) {
        SimDeviceLock lock;
        g_thread = thread;
        g_threadId = threadId;
    }
    return ok;
}

void StopWindowThread()
{
    HANDLE thread;
    HWND control;
    DWORD threadId;
    {
        SimDeviceLock lock;
        thread = g_thread;
        control = g_control;
        threadId = g_threadId;
        g_thread = nullptr;
        g_control = nullptr;
    }
    if (!thread)
        return;
    PostMessageA(control, WM_CLOSE, 0, 0);
    if (GetCurrentThreadId() != threadId)
        WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
}

void NotifyStateChanged()
{
    RefreshHandsetWindow();
}
