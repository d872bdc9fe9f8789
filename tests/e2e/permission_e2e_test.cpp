// Skype asks its user whether to allow the driver: one question however long the user takes,
// the tray saying what Skype waits for, a refusal respected, and Skype's "API available"
// answered at once.
#include <gtest/gtest.h>

#include <algorithm>

#include "fake_tray.h"
#include "sequence.h"
#include "skype_run.h"

namespace {
const char kTipNoHandset[] = "USB Device Driver (Please Connect USB Phone)";
const char kTipAttached[] = "USB Device Driver (Skype Feature-Enabled)";
const char kTipAsking[] = "USB Device Driver (Allow it in Skype)";
const char kTipRefused[] = "USB Device Driver (Refused: allow in Skype Options > Advanced)";
const UINT kKeepAliveTimer = 1001;

class PermissionE2E : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tray.Ready()); }
    void TearDown() override { EXPECT_EQ(run.driver.Close(), 0u); }

    // Keep-alive ticks delivered now, then a fence: the handset unplugged and plugged in
    // again goes through the same queue, so once the tray shows `tipAfter` again, every tick
    // before it has been handled.
    void TicksThenFence(int ticks, const char* tipAfter)
    {
        for (int i = 0; i < ticks; ++i)
            ASSERT_TRUE(PostMessageA(run.driver.window, WM_TIMER, kKeepAliveTimer, 0));
        ASSERT_TRUE(HandsetSimPlug(run.driver.sim, 0));
        ASSERT_TRUE(WaitUntil([&] { return tray.LatestTip() == kTipNoHandset; }, 5000));
        ASSERT_TRUE(HandsetSimPlug(run.driver.sim, 1));
        ASSERT_TRUE(WaitUntil([&] { return tray.LatestTip() == tipAfter; }, 5000))
            << tray.LatestTip();
    }
    size_t AttachReplies(const char* status)
    {
        std::vector<std::string> log = run.skype.LogText();
        std::string entry = std::string("attach ") + status + " to ";
        return size_t(std::count_if(log.begin(), log.end(), [&](const std::string& line) {
            return line.compare(0, entry.size(), entry) == 0;
        }));
    }

    FakeTray tray;
    SkypeRun run;
};
} // namespace

TEST_F(PermissionE2E, OneQuestionWhileSkypeAsksThenAttachedWhenAllowed)
{
    ASSERT_TRUE(run.Launch("--no-duration --no-greeting --ask-permission"));
    ASSERT_TRUE(WaitUntil([&] { return tray.LatestTip() == kTipAsking; }, 10000))
        << tray.LatestTip();
    ASSERT_NO_FATAL_FAILURE(TicksThenFence(5, kTipAsking));
    EXPECT_EQ(run.skype.QuestionsAsked(), 1);

    ASSERT_TRUE(run.skype.AnswerQuestion(true));
    ASSERT_TRUE(WaitUntil([&] { return run.Attached(); }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return tray.LatestTip() == kTipAttached; }, 5000));
    EXPECT_EQ(run.skype.QuestionsAsked(), 1);
}

TEST_F(PermissionE2E, RefusalStopsTheDiscoveriesUntilSkypeAnnouncesItsApi)
{
    ASSERT_TRUE(run.Launch("--no-duration --no-greeting --ask-permission --remember-refusal"));
    ASSERT_TRUE(WaitUntil([&] { return run.skype.QuestionsAsked() == 1; }, 10000));
    ASSERT_TRUE(run.skype.AnswerQuestion(false));
    ASSERT_TRUE(WaitUntil([&] { return tray.LatestTip() == kTipRefused; }, 5000))
        << tray.LatestTip();
    ASSERT_NO_FATAL_FAILURE(TicksThenFence(5, kTipRefused));
    EXPECT_EQ(AttachReplies("2"), 1u) << "discovered again after the refusal";

    // The user allows the driver in Skype's options and Skype starts again: it announces its
    // API, and the driver asks at once, long before its pause is over.
    ASSERT_TRUE(run.skype.Request("ask-permission off"));
    ASSERT_TRUE(run.skype.SendAttach(0x8001));
    EXPECT_TRUE(WaitUntil([&] { return run.Attached(); }, 5000));
    EXPECT_EQ(AttachReplies("2"), 1u);
}
