// A handset unplugged and plugged in again, as a loose cable, a hub or a laptop's sleep does
// it: the handset comes back blank and with its hook wherever the user left it, so the driver
// shows it everything again and forgets where the hook was.
#include <gtest/gtest.h>

#include "event_log.h"
#include "sequence.h"
#include "skype_run.h"
#include "usb_sound_device.h"

namespace {
bool Unplugged(const HandsetSimState& s)
{
    return !s.connected && !s.inCall && !s.light && !s.ringing && s.lcdText.empty();
}

class Reconnection : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(run.Start());
        ASSERT_TRUE(run.WaitReceived("SEARCH ACTIVECALLS", 10000));
    }
    void TearDown() override
    {
        if (soundDeviceAway) {
            EXPECT_TRUE(UsbSoundDevice("plug-device")); // the rig as it was, whatever happened
        }
        EXPECT_EQ(run.driver.Close(), 0u);
    }
    SkypeRun run;
    bool soundDeviceAway = false;
};
} // namespace

// In a conversation the handset and its sound device go away and come back: the handset is
// shown the call again (indicator, light, the caller's name), and putting it down ends it.
TEST_F(Reconnection, CallInConversationIsShownAgainOnAHandsetPluggedInAgain)
{
    int id = run.skype.Incoming("Ann");
    ASSERT_GT(id, 0);
    ASSERT_TRUE(run.WaitHandset([](const HandsetSimState& s) { return s.ringing; }, 5000));
    run.Key(80);
    auto inCallWithAnn = [](const HandsetSimState& s) {
        return s.connected && s.skype && s.inCall && s.light && !s.ringing && s.lcdText == "Ann";
    };
    ASSERT_TRUE(run.WaitHandset(inCallWithAnn, 5000));
    size_t before = run.driver.Journal().size();

    ASSERT_TRUE(HandsetSimPlug(run.driver.sim, 0));
    soundDeviceAway = UsbSoundDevice("unplug-device");
    ASSERT_TRUE(soundDeviceAway);
    ASSERT_TRUE(run.WaitHandset(Unplugged, 5000));
    ASSERT_TRUE(UsbSoundDevice("plug-device"));
    soundDeviceAway = false;
    ASSERT_TRUE(HandsetSimPlug(run.driver.sim, 1));

    EXPECT_TRUE(run.WaitHandset(inCallWithAnn, 5000))
        << "plugged in again, the handset shows \"" << run.Handset().lcdText << "\", light "
        << run.Handset().light << ", in call " << run.Handset().inCall;
    std::vector<std::string> journal = run.driver.Journal();
    EXPECT_SEQUENCE((Sequence{"from the unplug to the end of the redraw",
                              {"USBPhone_DisplayLCD mode=2 on=1 param=6 text=null textOn=0",
                               "USBPhone_DisplayLCD mode=1 on=1 param=0 text=null textOn=0",
                               "USBPhone_Light 1",
                               "USBPhone_DisplayLCD mode=3 on=1 param=6 text=\"Ann\" textOn=1"}}),
                    std::vector<std::string>(journal.begin() + before, journal.end()));

    run.Key(70);
    std::string status;
    EXPECT_TRUE(run.WaitCallStatus(id, "FINISHED", 5000, &status)) << "the call is " << status;
}

// Lifted, unplugged, put down while unplugged (the handset reports nothing then), plugged in:
// the driver does not know where the hook is, so the next call rings, and lifting answers it.
TEST_F(Reconnection, HandsetPutDownWhileUnpluggedRingsForTheNextCall)
{
    run.Key(80);
    ASSERT_TRUE(run.WaitReceived("HOOK OFF", 5000));
    ASSERT_TRUE(HandsetSimPlug(run.driver.sim, 0));
    ASSERT_TRUE(run.WaitHandset(Unplugged, 5000));
    run.Key(70);
    ASSERT_TRUE(run.WaitHandset([](const HandsetSimState& s) { return s.hook == 1; }, 5000));
    ASSERT_TRUE(HandsetSimPlug(run.driver.sim, 1));
    ASSERT_TRUE(run.WaitHandset([](const HandsetSimState& s) { return s.connected && s.skype; },
                                5000));

    int id = run.skype.Incoming("Bob");
    ASSERT_GT(id, 0);
    EXPECT_TRUE(run.WaitHandset(
        [](const HandsetSimState& s) { return s.ringing && s.lcdText == "Bob"; }, 5000))
        << "the handset does not ring";
    run.Key(80);
    EXPECT_TRUE(run.WaitReceived(Format("SET CALL %d STATUS INPROGRESS", id), 5000))
        << "lifting it did not answer";
}
