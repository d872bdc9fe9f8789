// Without Skype, handset keys are typed as keystrokes: seen for real by a low-level keyboard
// hook in this process.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "driver_run.h"
#include "event_log.h"
#include "handset_sim_client.h"
#include "sequence.h"

namespace {
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

std::vector<std::string> Stroke(int vk)
{
    return {Format("%d down", vk), Format("%d up", vk)};
}

std::vector<std::string> Typed(char c)
{
    return {Format("packet %c down", c), Format("packet %c up", c)};
}
} // namespace

TEST(EmulationE2E, KeysBecomeKeystrokesWithoutSkype)
{
    SetSkypePath(nullptr);
    std::atomic<DWORD> hookThread(0);
    std::thread hook([&] {
        HHOOK handle = SetWindowsHookExA(WH_KEYBOARD_LL, RecordKey, GetModuleHandleA(nullptr), 0);
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE); // create the queue
        hookThread = GetCurrentThreadId();
        while (GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
        UnhookWindowsHookEx(handle);
    });
    ASSERT_TRUE(WaitUntil([&] { return hookThread != 0; }, 5000));

    DriverRun run;
    ASSERT_TRUE(run.Start());
    for (int key : {1, 20, 21, 30, 40, 50, 60})
        ASSERT_TRUE(HandsetSimKey(run.sim, key));
    EXPECT_TRUE(WaitUntil([] { return g_keys.Size() >= 14; }, 10000));
    Sleep(200);
    PostThreadMessageA(hookThread, WM_QUIT, 0, 0);
    hook.join();
    EXPECT_EQ(run.Close(), 0u);

    std::vector<std::string> expected;
    for (char c : {'1', '*', '#'})
        for (const std::string& s : Typed(c))
            expected.push_back(s);
    for (int vk : {VK_ESCAPE, VK_UP, VK_RETURN, VK_DOWN})
        for (const std::string& s : Stroke(vk))
            expected.push_back(s);
    EXPECT_SEQUENCE((Sequence{"typed keys", expected}), g_keys.Snapshot());
}
