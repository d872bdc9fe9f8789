// The icon's menu against a pending send to Skype: the shell's tray callback is itself a
// send, and it reaches the driver while a key's command to Skype waits for its answer.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "event_log.h"
#include "sequence.h"
#include "skype_run.h"

namespace {
// The driver's open popup menu: a visible top-level "#32768" window of its process.
HWND MenuOf(DWORD pid)
{
    HWND menu = FindTopLevelWindow("#32768", nullptr, pid);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

std::vector<std::string> ButtonCommands(const std::vector<std::string>& received)
{
    std::vector<std::string> buttons;
    for (const std::string& command : received)
        if (command.compare(0, 4, "BTN_") == 0)
            buttons.push_back(command);
    return buttons;
}
} // namespace

TEST(TrayMenuE2E, RightClickDuringAKeysSendOpensTheMenuAfterTheQueuedKeys)
{
    SkypeRun run;
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.WaitReceived("SEARCH ACTIVECALLS", 10000));
    run.skype.ClearLog();
    ASSERT_TRUE(run.skype.Hold("BTN_PRESSED 5"));
    HandsetSimState before = run.Handset();
    ASSERT_TRUE(run.Key(5));
    ASSERT_TRUE(run.Key(6));
    ASSERT_TRUE(WaitUntil([&] { return run.Handset().eventsDelivered >= before.eventsDelivered + 2; },
                          5000));
    ASSERT_TRUE(run.skype.WaitHeld(5000)) << "the driver sent no BTN_PRESSED 5";

    // The shell's right-button release on the icon, sent while the driver waits for Skype.
    std::atomic<bool> delivered{false};
    HWND driverWindow = run.driver.window;
    std::thread shell([&] {
        SendMessageA(driverWindow, WM_USER + 5, 888, WM_RBUTTONUP);
        delivered = true;
    });
    DWORD pid = run.driver.child.pid;
    bool reached = WaitUntil([&] { return delivered || MenuOf(pid); }, 5000);
    ASSERT_TRUE(run.skype.Release());
    HWND menu = nullptr;
    bool opened = WaitUntil([&] { return (menu = MenuOf(pid)) != nullptr; }, 10000);
    std::vector<std::string> whenOpened = ButtonCommands(run.Received());
    if (menu)
        PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitUntil([&] { return MenuOf(pid) == nullptr; }, 5000)) << "the menu stayed";
    shell.join();
    ASSERT_TRUE(reached) << "the tray callback reached neither the driver nor a menu";
    ASSERT_TRUE(opened) << "no menu opened";

    const Sequence inOrder = {"both keys, each pressed and released, before the menu",
                              {"BTN_PRESSED 5", "BTN_RELEASED 5", "BTN_PRESSED 6",
                               "BTN_RELEASED 6"}};
    EXPECT_SEQUENCE(inOrder, whenOpened);
    EXPECT_TRUE(WaitUntil([&] { return ButtonCommands(run.Received()).size() >= 4; }, 5000));
    EXPECT_SEQUENCE(inOrder, ButtonCommands(run.Received()));
    EXPECT_EQ(run.driver.Close(), 0u);
}
