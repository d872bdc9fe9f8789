// UP and DOWN bring Skype's tab control to its second tab by typing Ctrl+Tab strokes, and only
// while Skype is in front. A Skype that FOCUS leaves behind (the simulator's stand-in for the
// foreground lock of a Windows desktop) gets none, and neither does the window in front.
#include <gtest/gtest.h>

#include <algorithm>

#include "event_log.h"
#include "sequence.h"
#include "skype_run.h"

namespace {
std::vector<std::string> g_keys; // keyboard messages the test's window received

LRESULT CALLBACK RecordKeys(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        g_keys.push_back(Format("down %u", unsigned(wParam)));
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        g_keys.push_back(Format("up %u", unsigned(wParam)));
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The window the user works in: in front, with the keyboard focus.
HWND CreateFrontWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordKeys;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "UsbPhoneTestFrontWindow";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA(windowClass.lpszClassName, "the user's editor",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 300, 300, 200, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
    SetForegroundWindow(window);
    SetFocus(window);
    return window;
}

bool Received(SkypeRun& run, const std::string& command)
{
    std::vector<std::string> received = run.Received();
    return std::find(received.begin(), received.end(), command) != received.end();
}
} // namespace

TEST(SkypeTabsE2E, UpAndDownTypeTheirStrokesOnlyWhileSkypeIsInFront)
{
    const struct {
        const char* name;
        const char* skypeOptions;
        int key;
        const char* lastCommand; // the key's last command to Skype: the fence
        bool skypeInFront;
        int tabAfter;
    } rows[] = {
        {"UP, FOCUS brings Skype to the front", "--no-duration --no-greeting", 40,
         "BTN_RELEASED UP", true, 1},
        {"UP, Skype stays behind", "--no-duration --no-greeting --focus-stays-behind", 40,
         "BTN_RELEASED UP", false, 0},
        {"DOWN, Skype stays behind", "--no-duration --no-greeting --focus-stays-behind", 60,
         "BTN_RELEASED DOWN", false, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        g_keys.clear();
        SkypeRun run;
        ASSERT_TRUE(run.Start(row.skypeOptions));
        ASSERT_EQ(run.skype.SelectedTab(), 0);
        HWND front = CreateFrontWindow();
        ASSERT_EQ(GetForegroundWindow(), front);

        ASSERT_TRUE(run.Key(row.key));
        // Strokes are queued to the window in front when they are typed, before the key's
        // button commands: once the last of those has arrived, any stroke is in our queue.
        EXPECT_TRUE(PumpUntil([&] { return Received(run, row.lastCommand); }, 10000));
        PumpMessages();
        EXPECT_SEQUENCE((Sequence{"keystrokes in the window in front", {}}), g_keys);
        EXPECT_EQ(GetForegroundWindow(), row.skypeInFront ? run.skype.MainWindow() : front);
        EXPECT_EQ(run.skype.SelectedTab(), row.tabAfter);

        DestroyWindow(front);
        EXPECT_EQ(run.driver.Close(), 0u);
    }
}
