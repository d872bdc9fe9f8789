// The driver attached to the Skype simulator: attachment, keep-alive, losing and finding
// Skype again, a hung Skype and a hung stranger.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "sequence.h"
#include "skype_run.h"

namespace {
const char kIndicatorOn[] = "USBPhone_DisplayLCD mode=2 on=1 param=6 text=null textOn=0";
const char kIndicatorOff[] = "USBPhone_DisplayLCD mode=2 on=0 param=0 text=null textOn=0";

size_t CountOf(const std::vector<std::string>& entries, const std::string& entry)
{
    size_t count = 0;
    for (const std::string& seen : entries)
        count += seen == entry;
    return count;
}

// The program's window answers within a second (its main thread is not frozen).
bool Responsive(HWND window)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
}
} // namespace

TEST(SkypeLinkE2E, AttachesShowsItAndTellsSkypeTheUsbDevices)
{
    SkypeRun run;
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.WaitReceived("SEARCH ACTIVECALLS", 10000));
    EXPECT_SEQUENCE((Sequence{"after attach", {kRigAudioOutCommand, kRigAudioInCommand,
                                               "SEARCH ACTIVECALLS"}}),
                    run.Received());
    EXPECT_TRUE(WaitUntil([&] { return CountOf(run.driver.Journal(), kIndicatorOn) == 1; }, 5000));
    EXPECT_TRUE(run.Handset().skype);

    // PING every two seconds, each answered.
    run.skype.ClearLog();
    Sleep(4500);
    std::vector<std::string> log = run.skype.LogText();
    EXPECT_GE(CountOf(log, "recv PING"), 2u);
    EXPECT_LE(CountOf(log, "recv PING"), 3u);
    EXPECT_EQ(CountOf(log, "recv PING"), CountOf(log, "send PONG"));

    // Device changes the driver sees for real, with the same devices afterwards: Skype is
    // not told anything again.
    run.skype.ClearLog();
    for (int i = 0; i < 5; ++i)
        SendMessageA(run.driver.window, WM_DEVICECHANGE, 0x0007 /*DBT_DEVNODES_CHANGED*/, 0);
    Sleep(1000);
    EXPECT_SEQUENCE((Sequence{"after a burst of device changes", {}}), run.Received());
    EXPECT_EQ(run.driver.Close(), 0u);
}

// The rig's microphone has a name outside ASCII, as on a Windows in German: Skype gets it in
// UTF-8 and takes it (it refuses anything else with ERROR 50).
TEST(SkypeLinkE2E, DeviceNamesReachSkypeInUtf8AndSkypeTakesThem)
{
    SkypeRun run;
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(WaitUntil([&] {
        std::vector<std::string> log = run.skype.LogText();
        return CountOf(log, std::string("send AUDIO_IN ") + kRigAudioInName) == 1 ||
               CountOf(log, "send ERROR 50 cannot set device") > 0;
    }, 10000));
    std::vector<std::string> replies = Filter(run.skype.LogText(), "send ");
    EXPECT_EQ(CountOf(replies, "send ERROR 50 cannot set device"), 0u);
    EXPECT_EQ(CountOf(replies, "send AUDIO_OUT USB Audio Device"), 1u);
    EXPECT_EQ(CountOf(replies, std::string("send AUDIO_IN ") + kRigAudioInName), 1u);
    EXPECT_EQ(run.driver.Close(), 0u);
}

TEST(SkypeLinkE2E, SilentSkypeIsDroppedAfterFivePingsAndFoundAgain)
{
    SkypeRun run;
    ASSERT_TRUE(run.Start());
    run.skype.SetPingReplies(false);
    run.skype.ClearLog();
    DWORD start = GetTickCount();
    ASSERT_TRUE(WaitUntil([&] { return !run.Handset().skype; }, 16000));
    DWORD dropped = GetTickCount() - start;
    EXPECT_GE(dropped, 7000u);
    EXPECT_EQ(CountOf(run.skype.LogText(), "recv PING"), 5u);
    run.skype.SetPingReplies(true);
    EXPECT_TRUE(WaitUntil([&] { return run.Handset().skype; }, 10000));
    EXPECT_EQ(run.driver.Close(), 0u);
}

TEST(SkypeLinkE2E, SkypeQuittingIsNoticedAndARestartedSkypeAttaches)
{
    SkypeRun run;
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.skype.Quit());
    EXPECT_TRUE(WaitUntil([&] { return !run.Handset().skype; }, 5000));
    ASSERT_TRUE(run.StartSkypeAgain());
    EXPECT_TRUE(WaitUntil([&] { return run.Attached(); }, 10000));
    EXPECT_TRUE(WaitUntil([&] { return run.Handset().skype; }, 5000));
    EXPECT_EQ(run.driver.Close(), 0u);
}

TEST(SkypeLinkE2E, HungSkypeIsDroppedWhileTheDriverStaysResponsive)
{
    SkypeRun run;
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.skype.Hang(25000));
    DWORD start = GetTickCount();
    bool responsive = true;
    while (run.Handset().skype && GetTickCount() - start < 25000) {
        responsive = responsive && Responsive(run.driver.window);
        Sleep(200);
    }
    EXPECT_TRUE(responsive);
    EXPECT_LT(GetTickCount() - start, 17000u) << "dropped only after this many ms";
    EXPECT_FALSE(run.Handset().skype);
    EXPECT_EQ(run.driver.Close(), 0u);
}

TEST(SkypeLinkE2E, AHungStrangerDoesNotStopDiscovery)
{
    std::atomic<bool> release(false);
    std::thread stranger([&] {
        HWND window = CreateWindowA("STATIC", "hung stranger", WS_OVERLAPPED, 0, 0, 10, 10,
                                    nullptr, nullptr, nullptr, nullptr);
        while (!release)
            Sleep(50); // never pumps messages
        DestroyWindow(window);
    });
    Sleep(5500); // past the point where Wine marks the thread as hung
    {
        SkypeRun run;
        EXPECT_TRUE(run.Start());
        EXPECT_EQ(run.driver.Close(), 0u);
    }
    release = true;
    stranger.join();
}
