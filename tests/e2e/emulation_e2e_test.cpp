// Without Skype, handset keys are typed as keystrokes: seen for real by a low-level keyboard
// hook in this process.
#include <gtest/gtest.h>

#include "driver_run.h"
#include "event_log.h"
#include "handset_sim_client.h"
#include "keystroke_recorder.h"
#include "sequence.h"

namespace {
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
    KeystrokeRecorder keys;
    ASSERT_TRUE(keys.Ready());

    DriverRun run;
    ASSERT_TRUE(run.Start());
    for (int key : {1, 20, 21, 30, 40, 50, 60})
        ASSERT_TRUE(HandsetSimKey(run.sim, key));
    EXPECT_TRUE(WaitUntil([&] { return keys.Count() >= 14; }, 10000));
    Sleep(200);
    EXPECT_EQ(run.Close(), 0u);

    std::vector<std::string> expected;
    for (char c : {'1', '*', '#'})
        for (const std::string& s : Typed(c))
            expected.push_back(s);
    for (int vk : {VK_ESCAPE, VK_UP, VK_RETURN, VK_DOWN})
        for (const std::string& s : Stroke(vk))
            expected.push_back(s);
    EXPECT_SEQUENCE((Sequence{"typed keys", expected}), keys.Keys());
}
