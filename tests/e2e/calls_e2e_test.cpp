// Calls end to end: the driver, the handset simulator and the Skype simulator together.
#include <gtest/gtest.h>

#include <algorithm>

#include "event_log.h"
#include "fake_tray.h"
#include "sequence.h"
#include "skype_run.h"

namespace {
std::string Call(const char* format, int id)
{
    return Format(format, id);
}

bool RingingWithAnn(const HandsetSimState& s) { return s.ringing && s.lcdText == "Ann"; }
bool RingingWithBob(const HandsetSimState& s) { return s.ringing && s.lcdText == "Bob"; }
bool RingingWithZoe(const HandsetSimState& s) { return s.ringing && s.lcdText == "Zoe Muller"; }
bool RingingWithNumber(const HandsetSimState& s)
{
    return s.ringing && s.lcdText == "+15551234567";
}
bool NotRinging(const HandsetSimState& s) { return !s.ringing; }
bool Idle(const HandsetSimState& s)
{
    return !s.inCall && !s.light && !s.ringing && s.lcdText.empty();
}

// The journal's record of a text line the library was given.
std::string LcdTextEntry(const char* text)
{
    return Format("USBPhone_DisplayLCD mode=3 on=1 param=6 text=\"%s\" textOn=1", text);
}

bool Contains(const std::vector<std::string>& entries, const std::string& entry)
{
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

class CallsE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(run.Start());
        ASSERT_TRUE(run.WaitReceived("SEARCH ACTIVECALLS", 10000));
        run.skype.ClearLog();
    }
    void TearDown() override { EXPECT_EQ(run.driver.Close(), 0u); }

    // 555 dialled and YES pressed: our call rings at the far end, the handset shows it. Its
    // id, 0 when any of that did not happen.
    int DialFromTheKeypad()
    {
        for (int key : {5, 5, 5, 50})
            run.Key(key);
        std::vector<SimCallInfo> calls;
        if (!WaitUntil([&] { return run.skype.Calls(&calls) && calls.size() == 1 &&
                                    calls[0].status == "RINGING"; }, 5000) ||
            !run.WaitHandset([](const HandsetSimState& s) { return s.inCall && s.light; }, 5000))
            return 0;
        return calls[0].id;
    }

    SkypeRun run;
};
} // namespace

TEST_F(CallsE2E, IncomingCallAnsweredByLiftingTheHandsetAndEndedByTheFarEnd)
{
    int id = run.skype.Incoming("Ann");
    ASSERT_GT(id, 0);
    ASSERT_TRUE(run.WaitHandset(RingingWithAnn, 5000));
    EXPECT_TRUE(run.Handset().inCall);
    EXPECT_TRUE(run.Handset().light);

    run.Key(80); // lifted: answers
    ASSERT_TRUE(run.WaitReceived(Call("SET CALL %d STATUS INPROGRESS", id), 5000));
    ASSERT_TRUE(run.WaitHandset(NotRinging, 5000));
    EXPECT_TRUE(run.WaitCallStatus(id, "INPROGRESS", 5000));
    EXPECT_EQ(run.Handset().lcdText, "Ann");

    run.Key(1);
    run.Key(21);
    ASSERT_TRUE(run.WaitReceived(Call("SET CALL %d DTMF #", id), 5000));
    run.skype.FarEndHangsUp(id);
    ASSERT_TRUE(run.WaitHandset(Idle, 5000));
    run.Key(70); // put down: no call is left to end
    ASSERT_TRUE(run.WaitReceived("HOOK ON", 5000));
    run.Key(5); // a fence: handled after everything of the hook switch
    ASSERT_TRUE(run.WaitReceived("BTN_RELEASED 5", 5000));

    const Sequence expected = {
        "incoming call answered with the handset",
        {Call("GET CALL %d PARTNER_DISPNAME", id), "FOCUS", "HOOK OFF",
         Call("SET CALL %d STATUS INPROGRESS", id),
         "FOCUS", "BTN_PRESSED 1", "BTN_RELEASED 1", Call("SET CALL %d DTMF 1", id),
         "FOCUS", "BTN_PRESSED #", "BTN_RELEASED #", Call("SET CALL %d DTMF #", id),
         "HOOK ON", "FOCUS", "BTN_PRESSED 5", "BTN_RELEASED 5"}};
    EXPECT_SEQUENCE(expected, run.Received());
}

TEST_F(CallsE2E, PuttingTheHandsetDownEndsTheCall)
{
    int id = run.skype.Incoming("Ann");
    ASSERT_TRUE(run.WaitHandset(RingingWithAnn, 5000));
    run.Key(80);
    ASSERT_TRUE(run.WaitHandset(NotRinging, 5000));
    std::string status;
    ASSERT_TRUE(run.WaitCallStatus(id, "INPROGRESS", 5000));
    run.Key(70);
    EXPECT_TRUE(run.WaitCallStatus(id, "FINISHED", 5000, &status))
        << "the call is " << status;
    EXPECT_TRUE(run.WaitHandset(Idle, 5000));
    EXPECT_SEQUENCE((Sequence{"lifted, put down",
                              {Call("GET CALL %d PARTNER_DISPNAME", id), "FOCUS", "HOOK OFF",
                               Call("SET CALL %d STATUS INPROGRESS", id), "HOOK ON",
                               Call("SET CALL %d STATUS FINISHED", id)}}),
                    run.Received());
}

// A call that comes while the handset is at the ear shows its caller without ringing there;
// put down, the handset rings, and lifting it answers.
TEST_F(CallsE2E, CallComingWhileLiftedRingsOnlyOncePutDown)
{
    run.Key(80);
    ASSERT_TRUE(run.WaitReceived("HOOK OFF", 5000));
    int id = run.skype.Incoming("Ann");
    // The ringer would be started before the name is asked, and the name shown after.
    ASSERT_TRUE(run.WaitHandset([](const HandsetSimState& s) { return s.lcdText == "Ann"; }, 5000));
    HandsetSimState handset = run.Handset();
    EXPECT_FALSE(handset.ringing) << "ringing at the ear";
    EXPECT_TRUE(handset.inCall);

    run.Key(70);
    ASSERT_TRUE(run.WaitHandset(RingingWithAnn, 5000));
    run.Key(80);
    ASSERT_TRUE(run.WaitReceived(Call("SET CALL %d STATUS INPROGRESS", id), 5000));
    EXPECT_TRUE(run.WaitHandset(NotRinging, 5000));
    EXPECT_TRUE(run.WaitCallStatus(id, "INPROGRESS", 5000));
}

// Our own call given up before the far end answers ends as CANCELLED: the handset is idle
// again, and the next digit is a key press with its tone, not DTMF to a dead call.
TEST_F(CallsE2E, PlacedCallGivenUpWithNoLeavesTheHandsetIdle)
{
    int id = DialFromTheKeypad();
    ASSERT_GT(id, 0);

    run.Key(30); // NO
    ASSERT_TRUE(run.WaitCallStatus(id, "CANCELLED", 5000));
    EXPECT_TRUE(run.WaitHandset(Idle, 5000));
    run.Key(7);
    run.Key(8); // a fence: key 7 has been handled in full before this one starts
    ASSERT_TRUE(run.WaitReceived("BTN_PRESSED 8", 5000));
    for (const std::string& command : run.Received())
        EXPECT_EQ(command.find(" DTMF "), std::string::npos) << command;
}

// A busy callee ends our call as BUSY, with nothing after it: the keypad dials again.
TEST_F(CallsE2E, PlacedCallEndedBusyFreesTheKeypad)
{
    int id = DialFromTheKeypad();
    ASSERT_GT(id, 0);

    ASSERT_TRUE(run.skype.FarEndBusy(id));
    EXPECT_TRUE(run.WaitHandset(Idle, 5000));
    run.skype.ClearLog();
    run.Key(7);
    run.Key(8); // a fence: key 7 has been handled in full before this one starts
    ASSERT_TRUE(run.WaitReceived("BTN_RELEASED 8", 5000));
    EXPECT_SEQUENCE((Sequence{"dialling again",
                              {"FOCUS", "BTN_PRESSED 7", "BTN_RELEASED 7", "FOCUS",
                               "BTN_PRESSED 8", "BTN_RELEASED 8"}}),
                    run.Received());
}

// A caller's name is only a name: one made of status words rings, is shown, and is answered
// by lifting the handset.
TEST_F(CallsE2E, CallerNamedWithStatusWordsRingsAndIsAnsweredByLifting)
{
    for (const char* name : {"Eve STATUS FINISHED", "Bob STATUS INPROGRESS"}) {
        SCOPED_TRACE(name);
        int id = run.skype.Incoming(name);
        ASSERT_GT(id, 0);
        std::string shown = name;
        EXPECT_TRUE(WaitUntil([&] {
            HandsetSimState s = run.Handset();
            return s.ringing && s.inCall && s.light && s.lcdText == shown;
        }, 5000)) << "the handset shows \"" << run.Handset().lcdText << "\", ringing "
                  << run.Handset().ringing << ", light " << run.Handset().light;
        run.Key(80); // lifted: answers
        ASSERT_TRUE(run.WaitReceived(Call("SET CALL %d STATUS INPROGRESS", id), 5000));
        EXPECT_TRUE(run.WaitCallStatus(id, "INPROGRESS", 5000));
        EXPECT_EQ(run.Handset().lcdText, shown);
        ASSERT_TRUE(run.skype.FarEndHangsUp(id));
        ASSERT_TRUE(run.WaitHandset(Idle, 5000));
        run.Key(70);
        ASSERT_TRUE(run.WaitReceived("HOOK ON", 5000));
        run.skype.ClearLog();
    }
}

// A Skype that answers the name request only after the caller has given up: the late name
// is not put on the idle display.
TEST_F(CallsE2E, NameThatComesAfterTheCallWasMissedIsNotShown)
{
    ASSERT_TRUE(run.skype.HoldReplies(true));
    int id = run.skype.Incoming("Ann");
    ASSERT_GT(id, 0);
    ASSERT_TRUE(run.WaitReceived(Call("GET CALL %d PARTNER_DISPNAME", id), 5000));
    ASSERT_TRUE(run.WaitHandset([](const HandsetSimState& s) { return s.ringing; }, 5000));
    ASSERT_TRUE(run.skype.CallerGivesUp(id));
    ASSERT_TRUE(run.WaitHandset(Idle, 5000));

    ASSERT_TRUE(run.skype.HoldReplies(false));
    // Notifications go out one after the other, each handled before the next is sent: once
    // the marker behind the late reply goes out, the driver has handled the reply.
    const std::string reply = Call("send CALL %d PARTNER_DISPNAME Ann", id);
    ASSERT_TRUE(WaitUntil([&] { return Contains(run.skype.LogText(), reply); }, 5000));
    ASSERT_TRUE(run.skype.Notify("USERSTATUS ONLINE"));
    ASSERT_TRUE(WaitUntil([&] { return Contains(run.skype.LogText(), "send USERSTATUS ONLINE"); }, 5000));

    HandsetSimState handset = run.Handset();
    EXPECT_TRUE(Idle(handset)) << "the idle display shows \"" << handset.lcdText << "\"";
    EXPECT_SEQUENCE((Sequence{"text lines", {}}),
                    Filter(run.driver.Journal(), "USBPhone_DisplayLCD mode=3"));
}

TEST_F(CallsE2E, SecondCallDuringAConversationIsRefused)
{
    int first = run.skype.Incoming("Ann");
    ASSERT_TRUE(run.WaitHandset(RingingWithAnn, 5000));
    run.Key(50);
    ASSERT_TRUE(run.WaitHandset(NotRinging, 5000));
    int second = run.skype.Incoming("Bob");
    ASSERT_TRUE(run.WaitReceived(Call("SET CALL %d STATUS FINISHED", second), 5000));
    std::string status;
    EXPECT_TRUE(run.WaitCallStatus(second, "REFUSED", 5000));
    Sleep(300);
    HandsetSimState handset = run.Handset();
    EXPECT_TRUE(handset.inCall);
    EXPECT_TRUE(handset.light);
    EXPECT_FALSE(handset.ringing);
    EXPECT_EQ(handset.lcdText, "Ann");
    EXPECT_TRUE(run.skype.CallStatus(first, &status));
    EXPECT_EQ(status, "INPROGRESS");
}

TEST_F(CallsE2E, SkypeQuittingWhileRingingStopsTheRingerAndANewSkypeRingsAgain)
{
    run.skype.Incoming("Ann");
    ASSERT_TRUE(run.WaitHandset(RingingWithAnn, 5000));
    run.QuitSkype();
    EXPECT_TRUE(run.WaitHandset(Idle, 5000));

    ASSERT_TRUE(run.StartSkypeAgain());
    ASSERT_TRUE(WaitUntil([&] { return run.Attached(); }, 10000));
    run.skype.Incoming("Bob");
    EXPECT_TRUE(run.WaitHandset(RingingWithBob, 5000));
}

TEST_F(CallsE2E, DiallingFromTheKeypadFillsTheLcdAndSkypesNumberField)
{
    for (int key : {5, 5, 0, 1, 20})
        run.Key(key);
    ASSERT_TRUE(run.WaitReceived("BTN_RELEASED *", 5000));
    EXPECT_TRUE(WaitUntil([&] { return run.Handset().lcdText == "5501*"; }, 5000));
    std::string number;
    EXPECT_TRUE(run.skype.NumberField(&number));
    EXPECT_EQ(number, "5501*");

    run.Key(30); // NO: the display and Skype's number field are cleared, its window closed
    ASSERT_TRUE(run.WaitReceived("BTN_RELEASED NO", 5000));
    EXPECT_TRUE(WaitUntil([&] {
        return run.skype.NumberField(&number) && number.empty() && run.skype.MainWindowVisible() == 0;
    }, 5000));
    HandsetSimState handset = run.Handset();
    EXPECT_EQ(handset.lcdMode, 4);
    EXPECT_EQ(handset.lcdText, "");
}

TEST_F(CallsE2E, Utf8NameRingsFoldedToTheLcdsSingleBytes)
{
    int id = run.skype.Incoming("Zo\xC3\xAB M\xC3\xBCller"); // Zoë Müller, as Skype sends it
    ASSERT_GT(id, 0);
    ASSERT_TRUE(run.WaitHandset(RingingWithZoe, 5000));
    std::vector<std::string> journal = run.driver.Journal();
    EXPECT_SEQUENCE((Sequence{"text lines", {LcdTextEntry("Zoe Muller")}}),
                    Filter(journal, "USBPhone_DisplayLCD mode=3"));
    for (const std::string& entry : journal)
        for (char c : entry)
            ASSERT_LT(static_cast<unsigned char>(c), 0x80) << "UTF-8 reached the library: " << entry;
    EXPECT_SEQUENCE((Sequence{"a named caller", {Call("GET CALL %d PARTNER_DISPNAME", id)}}),
                    run.Received());
    ASSERT_TRUE(run.skype.CallerGivesUp(id));
    EXPECT_TRUE(run.WaitHandset(Idle, 5000));
}

TEST_F(CallsE2E, CallerWithoutADisplayNameShownByTheNumber)
{
    int id = run.skype.IncomingFrom("+15551234567");
    ASSERT_GT(id, 0);
    ASSERT_TRUE(run.WaitHandset(RingingWithNumber, 5000));
    EXPECT_SEQUENCE((Sequence{"an unknown caller",
                              {Call("GET CALL %d PARTNER_DISPNAME", id),
                               Call("GET CALL %d PARTNER_HANDLE", id)}}),
                    run.Received());
    EXPECT_SEQUENCE((Sequence{"text lines", {LcdTextEntry("+15551234567")}}),
                    Filter(run.driver.Journal(), "USBPhone_DisplayLCD mode=3"));

    run.Key(50); // YES: the number stays on the LCD during the call
    ASSERT_TRUE(run.WaitHandset(NotRinging, 5000));
    EXPECT_TRUE(run.WaitCallStatus(id, "INPROGRESS", 5000));
    EXPECT_EQ(run.Handset().lcdText, "+15551234567");
    ASSERT_TRUE(run.skype.FarEndHangsUp(id));
    EXPECT_TRUE(run.WaitHandset(Idle, 5000));
}

// A slow Skype answers the handle only after the caller has given up: the display stays idle.
TEST_F(CallsE2E, CallEndedBeforeTheHandleArrivesLeavesTheDisplayIdle)
{
    ASSERT_TRUE(run.skype.SetGetDelay(1500));
    int id = run.skype.IncomingFrom("+15551234567");
    ASSERT_GT(id, 0);
    ASSERT_TRUE(run.WaitReceived(Call("GET CALL %d PARTNER_HANDLE", id), 10000));
    ASSERT_TRUE(run.skype.CallerGivesUp(id));
    ASSERT_TRUE(run.WaitHandset(Idle, 5000));

    // Notifications go out one after the other, each handled before the next is sent: once
    // the marker behind the late reply goes out, the driver has handled the reply.
    const std::string reply = Call("send CALL %d PARTNER_HANDLE +15551234567", id);
    ASSERT_TRUE(WaitUntil([&] { return Contains(run.skype.LogText(), reply); }, 5000));
    ASSERT_TRUE(run.skype.Notify("USERSTATUS ONLINE"));
    ASSERT_TRUE(WaitUntil([&] { return Contains(run.skype.LogText(), "send USERSTATUS ONLINE"); }, 5000));
    const std::vector<std::string> order = {Call("send CALL %d STATUS MISSED", id), reply};
    std::vector<std::string> seen;
    for (const std::string& entry : run.skype.LogText())
        if (entry == order[0] || entry == order[1])
            seen.push_back(entry);
    ASSERT_EQ(seen, order) << "the reply must come after the call has ended";

    EXPECT_TRUE(Idle(run.Handset()));
    EXPECT_TRUE(Filter(run.driver.Journal(), "USBPhone_DisplayLCD mode=3").empty());
    EXPECT_SEQUENCE((Sequence{"asked, answered late",
                              {Call("GET CALL %d PARTNER_DISPNAME", id),
                               Call("GET CALL %d PARTNER_HANDLE", id)}}),
                    run.Received());
}

// Skype 5.1 and later name the main window's class plain "tSkMainForm": it is found for
// YES's "is it shown" test, and NO empties its number field and closes it.
TEST(CallsE2ELaterSkype, MainWindowOfLaterVersionsIsFound)
{
    SkypeRun run;
    ASSERT_TRUE(run.Start("--no-duration --no-greeting --skype-5"));
    ASSERT_TRUE(run.WaitReceived("SEARCH ACTIVECALLS", 10000));
    for (int key : {5, 5, 50})
        run.Key(key);
    std::vector<SimCallInfo> calls;
    EXPECT_TRUE(WaitUntil([&] { return run.skype.Calls(&calls) && calls.size() == 1; }, 5000))
        << "YES was not pressed in Skype";
    run.Key(30);
    std::string number = "?";
    EXPECT_TRUE(WaitUntil([&] {
        return run.skype.NumberField(&number) && number.empty() && run.skype.MainWindowVisible() == 0;
    }, 5000)) << "number field \"" << number << "\"";
    EXPECT_EQ(run.driver.Close(), 0u);
}

// Closing the driver while a call rings must not leave the handset ringing on its own.
TEST(CallsE2EShutdown, ClosingWhileACallRingsStopsTheRingerFirst)
{
    SkypeRun run;
    ASSERT_TRUE(run.Start());
    ASSERT_GT(run.skype.Incoming("Ann"), 0);
    ASSERT_TRUE(run.WaitHandset(RingingWithAnn, 5000));
    EXPECT_EQ(run.driver.Close(), 0u);
    std::vector<std::string> journal = run.driver.Journal();
    const std::vector<std::string> shutdown = {
        "USBPhone_Ring 0", "USBPhone_DisplayLCD mode=0 on=0 param=0 text=null textOn=0",
        "USBPhone_Light 0", "USBPhone_Close", "Unload"};
    ASSERT_GE(journal.size(), shutdown.size());
    EXPECT_SEQUENCE((Sequence{"shutdown while ringing", shutdown}),
                    std::vector<std::string>(journal.end() - shutdown.size(), journal.end()));
}

// Windows ends the process after WM_ENDSESSION, without the message loop's end: the handset
// is shut down there, once, in Close's order, and the icon removed; Skype is told nothing.
TEST(CallsE2EShutdown, LogOffWhileACallRingsShutsTheHandsetDownOnce)
{
    FakeTray tray;
    ASSERT_TRUE(tray.Ready());
    SkypeRun run;
    ASSERT_TRUE(run.Start());
    ASSERT_GT(run.skype.Incoming("Ann"), 0);
    ASSERT_TRUE(run.WaitHandset(RingingWithAnn, 5000));
    const std::vector<std::string> ringing = run.driver.Journal();
    run.skype.ClearLog();

    // Asked first, then told that the session goes on after all: nothing changes.
    EXPECT_EQ(SendMessageA(run.driver.window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    EXPECT_EQ(SendMessageA(run.driver.window, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF), 0);
    EXPECT_EQ(run.driver.Journal(), ringing);
    EXPECT_TRUE(run.Handset().ringing);

    EXPECT_EQ(SendMessageA(run.driver.window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF), 0);
    const std::vector<std::string> shutdown = {
        "USBPhone_Ring 0", "USBPhone_DisplayLCD mode=0 on=0 param=0 text=null textOn=0",
        "USBPhone_Light 0", "USBPhone_Close", "Unload"};
    std::vector<std::string> ended = run.driver.Journal();
    ASSERT_GE(ended.size(), ringing.size());
    EXPECT_SEQUENCE((Sequence{"log-off while ringing", shutdown}),
                    std::vector<std::string>(ended.begin() + ringing.size(), ended.end()));
    std::vector<std::string> icon = tray.Calls();
    ASSERT_FALSE(icon.empty());
    EXPECT_EQ(icon.back().substr(0, 10), "NIM_DELETE");

    // Where Windows does not end it at once (Wine), a later close shuts down nothing again.
    EXPECT_EQ(run.driver.Close(), 0u);
    EXPECT_EQ(run.driver.Journal(), ended);
    EXPECT_TRUE(run.Received().empty()) << run.Received().front();
}
