// Faults on request: a hung Skype, Skype quitting, and a second start.
#include <algorithm>
#include <thread>

#include "sim_fixture.h"

TEST_F(SkypeSimTest, HangStopsEveryWindowForAWhileThenRecovers)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    HWND main = control.MainWindow();
    DWORD start = GetTickCount();
    ASSERT_TRUE(control.Hang(1500));
    // The hang starts as soon as the simulator is back in its message loop: from then on
    // its main window does not answer.
    DWORD_PTR result = 0;
    ASSERT_TRUE(WaitUntil([&] {
        return SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 50, &result) == 0;
    }, 1000));
    // While hung, a send with a short timeout fails, and the main window does not answer.
    COPYDATASTRUCT data = {0, 5, const_cast<char*>("PING")};
    EXPECT_EQ(SendMessageTimeoutA(fake.ApiWindow(), WM_COPYDATA,
                                  reinterpret_cast<WPARAM>(fake.Window()),
                                  reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 300, &result),
              0);
    EXPECT_EQ(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 300,
                                  &result),
              0);
    // It ends by itself.
    ASSERT_TRUE(PumpUntil([&] {
        return !fake.Command("PING").empty();
    }, 5000));
    EXPECT_GE(GetTickCount() - start, 1300u);
}

TEST_F(SkypeSimTest, QuitDestroysTheApiWindowAndEndsWithZero)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    HWND api = fake.ApiWindow();
    ASSERT_TRUE(control.Quit());
    DWORD code = WaitForExitPumping(sim.process, 5000);
    EXPECT_EQ(code, 0u);
    if (code != STILL_ACTIVE) {
        CloseHandle(sim.process);
        sim.process = nullptr;
    }
    EXPECT_FALSE(IsWindow(api));
    LRESULT result = 0;
    EXPECT_TRUE(fake.Command("PING", &result).empty());
}

TEST_F(SkypeSimTest, SecondStartEndsAtOnceAndLeavesTheFirstRunning)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    ChildProcess second = StartProcess(JoinPath(BinDir(), "skypesim.exe"), "", BinDir());
    ASSERT_TRUE(second);
    EXPECT_EQ(WaitForExitPumping(second.process, 10000), 0u);
    CloseHandle(second.process);
    EXPECT_EQ(fake.Command("PING"), std::vector<std::string>{"PONG"});
}

TEST(SkypeSimOptions, UnknownOptionIsRefused)
{
    ChildProcess sim = StartProcess(JoinPath(BinDir(), "skypesim.exe"), "--bogus", BinDir());
    ASSERT_TRUE(sim);
    EXPECT_EQ(WaitForExitPumping(sim.process, 10000), 2u);
    CloseHandle(sim.process);
}

// The program's side hangs: the simulator waits in its send to it, and the control channel
// must still answer meanwhile (tests and the demo drive the simulator during such waits).
TEST_F(SkypeSimTest, ControlChannelAnswersWhileTheClientIsHung)
{
    ASSERT_NO_FATAL_FAILURE(StartSim());
    HANDLE attached = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE resume = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool delivered = false;
    std::thread program([&] {
        FakeSkypeClient hungClient;
        hungClient.Broadcast(false);
        PumpUntil([&] { return hungClient.ApiWindow() != nullptr; }, 5000);
        SetEvent(attached);
        WaitForSingleObject(resume, 10000);  // hung: takes no messages
        delivered = hungClient.WaitForText("USERSTATUS AWAY", 5000);
    });
    ASSERT_EQ(WaitForSingleObject(attached, 10000), WAIT_OBJECT_0);
    ASSERT_TRUE(control.Notify("USERSTATUS AWAY"));
    // Logged just before the send: the simulator is then waiting in its send to the hung
    // window (its control channel still answers, as sent messages get in during the wait).
    ASSERT_TRUE(WaitUntil([&] {
        std::vector<std::string> log = SimLog();
        return std::find(log.begin(), log.end(), "send USERSTATUS AWAY") != log.end();
    }, 5000));

    DWORD start = GetTickCount();
    EXPECT_EQ(control.Incoming("Ann Example"), 1001);
    std::vector<SimCallInfo> calls;
    EXPECT_TRUE(control.Calls(&calls));
    EXPECT_LT(GetTickCount() - start, 2000u);

    SetEvent(resume);
    program.join();
    EXPECT_TRUE(delivered);
    CloseHandle(attached);
    CloseHandle(resume);
}
