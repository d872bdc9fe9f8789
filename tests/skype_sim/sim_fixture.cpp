// Fixture of the simulator tests (see sim_fixture.h).
#include "sim_fixture.h"

#include <algorithm>

// Hidden: under Xvfb with no window manager, Wine waits 2 s for a visible window to be
// withdrawn when it is destroyed; only the tests of the main window need it shown.
const char kQuietOptions[] = "--no-greeting --no-duration --hidden";
const char kShownOptions[] = "--no-greeting --no-duration";

void SkypeSimTest::StartSim(const std::string& args)
{
    sim = StartProcess(JoinPath(BinDir(), "skypesim.exe"), args, BinDir());
    ASSERT_TRUE(sim) << "skypesim.exe did not start";
    ASSERT_TRUE(control.Connect(sim.pid, 10000)) << "no control window";
}

void SkypeSimTest::StartAttached(const std::string& args)
{
    ASSERT_NO_FATAL_FAILURE(StartSim(args));
    ASSERT_TRUE(fake.Broadcast(false));
    ASSERT_TRUE(PumpUntil([&] { return fake.ApiWindow() != nullptr; }, 5000));
    ASSERT_TRUE(control.ClearLog());
    fake.ClearReceived();
}

bool SkypeSimTest::WaitForLogEntry(const std::string& entry, DWORD timeoutMs)
{
    return PumpUntil([&] {
        std::vector<std::string> log = SimLog();
        return std::find(log.begin(), log.end(), entry) != log.end();
    }, timeoutMs);
}

void SkypeSimTest::TearDown()
{
    EXPECT_TRUE(fake.FramingErrors().empty()) << fake.FramingErrors().front();
    // Gone first, so that the simulator's sends to it fail at once instead of waiting.
    fake.Close();
    if (!sim)
        return;
    if (control.Quit() && WaitForExitPumping(sim.process, 5000) != STILL_ACTIVE) {
        CloseHandle(sim.process);
        sim.process = nullptr;
        return;
    }
    EndProcess(sim, nullptr, 1000);
}
