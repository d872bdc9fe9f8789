// usbphone.exe started for real under Wine.
#include <gtest/gtest.h>

#include "process.h"

namespace {
const char kClass[] = "TavrixWindowClass20041118";
const char kTitle[] = "Tavrixphone";
}

TEST(Startup, StartsHiddenAndEndsWithZeroOnWmClose)
{
    std::string dir = MakeScratchDir("startup");
    ASSERT_TRUE(CopyFromBin("usbphone.exe", dir));
    ChildProcess child = StartProcess(JoinPath(dir, "usbphone.exe"), "", dir);
    ASSERT_TRUE(child);
    HWND window = WaitForWindow(kClass, kTitle, child.pid, 10000);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(EndProcess(child, window, 10000), 0u);
}
