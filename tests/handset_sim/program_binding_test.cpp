// The program's own binding of the handset library, judged from the library's side: the real
// usbphone.exe with the simulator and Skype attached. The simulator calls the callbacks that
// the program handed to USBPhone_Bind the stdcall way and measures ESP around each call, so a
// callback of another convention, or with other arguments, is counted instead of corrupting
// its thread. Every LCD request is decoded from the five 32-bit words of the record that the
// program pushes. Only the 32-bit build can get either wrong: on x86-64 there is a single
// calling convention and the record travels by hidden pointer.
#include <gtest/gtest.h>

#include "sequence.h"
#include "skype_run.h"

TEST(ProgramBinding, CallbacksAreStdcallAndLcdRecordsArriveAsFiveWords)
{
#if !defined(__i386__)
    GTEST_SKIP() << "only a 32-bit build has more than one calling convention";
#else
    SkypeRun run;
    ASSERT_TRUE(run.Start());
    // Attached and done with it: the audio devices are chosen last (which ones is not the
    // point here).
    ASSERT_TRUE(WaitUntil([&] {
        return !Filter(run.Received(), "SET AUDIO_IN ").empty();
    }, 10000)) << SequenceListing({"Skype received", {"SET AUDIO_IN ..."}}, run.Received());
    HandsetSimState state = run.Handset();
    const unsigned deliveredBefore = state.eventsDelivered;
    const unsigned droppedBefore = state.eventsDropped;
    const size_t journalledBefore = run.driver.Journal().size();

    // Both callbacks, each several times: unplugged and plugged in again, three digits shown
    // on the LCD's text line, NO to empty it.
    ASSERT_TRUE(HandsetSimPlug(run.driver.sim, 0));
    ASSERT_TRUE(HandsetSimPlug(run.driver.sim, 2));
    for (int key : {1, 2, 20, 30})
        ASSERT_TRUE(run.Key(key)) << key;
    const unsigned events = 6;
    ASSERT_TRUE(run.WaitReceived("BTN_RELEASED NO", 10000));
    ASSERT_TRUE(WaitUntil([&] {
        state = run.Handset();
        return state.eventsDelivered >= deliveredBefore + events && state.lcdMode == 4;
    }, 10000));
    EXPECT_EQ(state.eventsDelivered, deliveredBefore + events);
    EXPECT_EQ(state.stackFaults, 0u) << "a callback did not remove its own arguments";
    EXPECT_EQ(state.eventsDropped, droppedBefore);

    EXPECT_EQ(run.driver.Close(), 0u);
    std::vector<std::string> journal = run.driver.Journal();
    ASSERT_GE(journal.size(), journalledBefore);
    std::vector<std::string> after(journal.begin() + journalledBefore, journal.end());
    // Each field with more than one value, text null, empty and set: a record passed by
    // address, or with a field in another word, decodes differently.
    Sequence expected = {"LCD requests after the events, then at exit", {
        // plugged in again: the Skype indicator, then the handset's whole state
        "USBPhone_DisplayLCD mode=2 on=1 param=6 text=null textOn=0",
        "USBPhone_DisplayLCD mode=1 on=0 param=0 text=null textOn=0",
        "USBPhone_DisplayLCD mode=4 on=1 param=6 text=\"\" textOn=1",
        "USBPhone_DisplayLCD mode=3 on=1 param=6 text=\"1\" textOn=1",
        "USBPhone_DisplayLCD mode=3 on=1 param=6 text=\"12\" textOn=1",
        "USBPhone_DisplayLCD mode=3 on=1 param=6 text=\"12*\" textOn=1",
        "USBPhone_DisplayLCD mode=4 on=1 param=6 text=\"\" textOn=1",
        "USBPhone_DisplayLCD mode=0 on=0 param=0 text=null textOn=0",
    }};
    EXPECT_SEQUENCE(expected, Filter(after, "USBPhone_DisplayLCD"));
#endif
}
