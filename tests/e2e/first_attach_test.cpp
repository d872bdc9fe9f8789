// Skype already running and answering the driver's first discovery broadcast at once (inside
// the broadcast): the attach, and a call ringing at that moment, must land on a handset that
// start-up has opened and set up, whatever the handset's open reported.
#include <gtest/gtest.h>

#include "fake_tray.h"
#include "sequence.h"
#include "skype_run.h"

namespace {
const char kSkypeOptions[] = "--no-duration --no-greeting";
const char kTipNoHandset[] = "USB Device Driver (Please Connect USB Phone)";
const char kTipAttached[] = "USB Device Driver (Skype Feature-Enabled)";
const char kTipNoSkype[] = "USB Device Driver (Please Launch Skype)";
const char kTipAsking[] = "USB Device Driver (Allow it in Skype)";
const char kSkypeIndicatorOn[] = "USBPhone_DisplayLCD mode=2 on=1 param=6 text=null textOn=0";

std::vector<std::string> StartupJournal(const std::string& window)
{
    return {"USBPhone_DisplayLCD mode=2 on=0 param=0 text=null textOn=0",
            "USBPhone_Open hwnd=" + window,
            "USBPhone_Bind key=set plug=set",
            "USBPhone_DisplayLCD mode=4 on=1 param=6 text=\"\" textOn=1",
            "USBPhone_DisplayLCD mode=2 on=1 param=6 text=\"\" textOn=1"};
}

std::vector<std::string> Then(std::vector<std::string> first, const std::vector<std::string>& more)
{
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

// Skype answers a program it knows "pending" first, then attaches it: the question's tooltip
// shows for that moment while the handset is there.
std::vector<std::string> TrayCalls(const char* lastTip)
{
    std::vector<std::string> calls = {"NIM_ADD flags=7 tip=Tavrix",
                                      std::string("NIM_MODIFY flags=6 tip=") + kTipNoSkype};
    // A handset found absent when opened says so at once.
    if (std::string(lastTip) == kTipNoHandset)
        calls.push_back(std::string("NIM_MODIFY flags=6 tip=") + kTipNoHandset);
    else
        calls.push_back(std::string("NIM_MODIFY flags=6 tip=") + kTipAsking);
    calls.push_back(std::string("NIM_MODIFY flags=6 tip=") + lastTip);
    return calls;
}

class FirstAttach : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tray.Ready());
        // Skype runs before the driver starts; the driver's own launch of it then ends at once.
        ASSERT_TRUE(run.StartSkypeAgain(options));
    }
    FakeTray tray;
    SkypeRun run;
    std::string options = kSkypeOptions;
};
} // namespace

TEST_F(FirstAttach, HandsetThatFailsToOpenShowsAbsentAndSkypeGetsNoDevices)
{
    DriverOptions driver;
    driver.openResult = 5;
    ASSERT_TRUE(run.Start(options, driver));
    ASSERT_TRUE(WaitUntil([&] { return tray.LatestTip() == kTipNoHandset; }, 5000))
        << tray.LatestTip();
    Sleep(500); // anything that came late would show by now
    EXPECT_SEQUENCE((Sequence{"tray", TrayCalls(kTipNoHandset)}), tray.Calls());
    EXPECT_SEQUENCE((Sequence{"commands to Skype", {"SEARCH ACTIVECALLS"}}), run.Received());
    EXPECT_SEQUENCE((Sequence{"handset", StartupJournal(run.driver.WindowValue())}),
                    run.driver.Journal());
    EXPECT_EQ(run.driver.Close(), 0u);
}

TEST_F(FirstAttach, OpenHandsetGetsTheSkypeIndicatorAndSkypeTheDevicesAfterStartUp)
{
    ASSERT_TRUE(run.Start(options));
    ASSERT_TRUE(run.WaitReceived("SEARCH ACTIVECALLS", 5000));
    Sleep(500);
    EXPECT_SEQUENCE((Sequence{"tray", TrayCalls(kTipAttached)}), tray.Calls());
    EXPECT_SEQUENCE((Sequence{"commands to Skype",
                              {kRigAudioOutCommand, kRigAudioInCommand, "SEARCH ACTIVECALLS"}}),
                    run.Received());
    EXPECT_SEQUENCE((Sequence{"handset", Then(StartupJournal(run.driver.WindowValue()),
                                              {kSkypeIndicatorOn})}),
                    run.driver.Journal());
    EXPECT_TRUE(run.Handset().skype);
    EXPECT_EQ(run.driver.Close(), 0u);
}

TEST_F(FirstAttach, CallRingingAtTheAttachRingsAfterStartUpAndKeepsItsName)
{
    run.QuitSkype();
    options += " --ring-on-attach Ann";
    ASSERT_TRUE(run.StartSkypeAgain(options));
    ASSERT_TRUE(run.Start(options));
    ASSERT_TRUE(run.WaitHandset([](const HandsetSimState& s) {
        return s.ringing && s.lcdText == "Ann";
    }, 5000));
    Sleep(500);
    const std::vector<std::string> ringing = {
        kSkypeIndicatorOn,
        "USBPhone_DisplayLCD mode=1 on=1 param=0 text=null textOn=0",
        "USBPhone_Light 1",
        "USBPhone_Ring 1",
        "USBPhone_DisplayLCD mode=3 on=1 param=6 text=\"Ann\" textOn=1"};
    EXPECT_SEQUENCE((Sequence{"handset", Then(StartupJournal(run.driver.WindowValue()), ringing)}),
                    run.driver.Journal());
    HandsetSimState state = run.Handset();
    EXPECT_EQ(state.lcdText, "Ann");
    EXPECT_TRUE(state.ringing);
    EXPECT_EQ(run.driver.Close(), 0u);
}
