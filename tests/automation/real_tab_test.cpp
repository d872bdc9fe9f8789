// Real keystrokes: SelectSkypeSecondTab types through the real seam (SendInput) into a
// focused page control on the Skype stand-in thread, which must end on its second tab.
#include <gtest/gtest.h>

#include <commctrl.h>

#include "core/app_state.h"
#include "process.h"
#include "skype/skype_window.h"
#include "skype_windows.h"

namespace {

TEST(RealTabKeys, ThePageControlEndsOnItsSecondTabFromAnyStart)
{
    for (int start : {0, 4, 1, 2}) {
        ResetAppState();
        SkypeThread skype;
        HWND tabs = nullptr;
        bool focused = false;
        skype.Run([&] {
            HWND main = CreateTopLevel("tSkMainForm.UnicodeClass", "", true);
            tabs = CreatePageControl(main, 5, start);
            // What "FOCUS" does inside Skype; the operation itself never moves the focus.
            SetForegroundWindow(main);
            SetFocus(tabs);
            focused = GetFocus() == tabs;
        });
        ASSERT_TRUE(focused) << "start " << start;
        g_app.skypeApiWindow = skype.ApiWindow();

        EXPECT_EQ(SelectSkypeSecondTab(), tabs);
        auto selected = [&] { return SendMessageA(tabs, TCM_GETCURSEL, 0, 0); };
        EXPECT_TRUE(WaitUntil([&] { return selected() == 1; }, 3000))
            << "start " << start << ", ended on " << selected();
        // Nothing more arrives later (no stroke left over, no modifier left held).
        Sleep(200);
        EXPECT_EQ(selected(), 1) << "start " << start;
        EXPECT_GE(GetAsyncKeyState(VK_CONTROL), 0);
        EXPECT_GE(GetAsyncKeyState(VK_SHIFT), 0);
    }
}

} // namespace
