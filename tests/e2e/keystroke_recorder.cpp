// A low-level keyboard hook that records every keystroke (see keystroke_recorder.h).
#include "keystroke_recorder.h"

#include <atomic>

#include "event_log.h"
#include "wait.h"

namespace {
// The hook procedure has no context: one recorder at a time.
EventLog g_keys;

LRESULT CALLBACK RecordKey(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const KBDLLHOOKSTRUCT* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        bool up = wParam == WM_KEYUP || wParam == WM_SYSKEYUP;
        // A typed character comes as VK_PACKET, the character in the scan code.
        if (key->vkCode == VK_PACKET)
            g_keys.Add(Format("packet %c %s", char(key->scanCode), up ? "up" : "down"));
        else
            g_keys.Add(Format("%lu %s", static_cast<unsigned long>(key->vkCode), up ? "up" : "down"));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
} // namespace

KeystrokeRecorder::KeystrokeRecorder()
{
    g_keys.Clear();
    std::atomic<DWORD> started(0);
    hook_ = std::thread([&started] {
        HHOOK handle = SetWindowsHookExA(WH_KEYBOARD_LL, RecordKey, GetModuleHandleA(nullptr), 0);
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE); // create the queue
        started = GetCurrentThreadId();
        while (GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
        UnhookWindowsHookEx(handle);
    });
    if (WaitUntil([&] { return started != 0; }, 5000))
        thread_ = started;
}

KeystrokeRecorder::~KeystrokeRecorder()
{
    if (thread_)
        PostThreadMessageA(thread_, WM_QUIT, 0, 0);
    hook_.join();
}

std::vector<std::string> KeystrokeRecorder::Keys() const
{
    return g_keys.Snapshot();
}

size_t KeystrokeRecorder::Count() const
{
    return g_keys.Size();
}
