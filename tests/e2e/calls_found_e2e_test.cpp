// Calls as Skype holds them: the driver asks at every attach, so a Skype that froze and came
// back, or a driver started while Skype has a call, leaves no call unseen, and no call whose
// far end keeps hearing the room after the handset went down.
#include <gtest/gtest.h>

#include "event_log.h"
#include "keystroke_recorder.h"
#include "sequence.h"
#include "skype_run.h"

namespace {
const char kQuietSkype[] = "--no-duration --no-greeting";
const DWORD kDropMs = 20000; // five PINGs two seconds apart, each given up on

bool InCallWithAnn(const HandsetSimState& s)
{
    return s.skype && s.inCall && s.light && !s.ringing && s.lcdText == "Ann";
}
bool Detached(const HandsetSimState& s) { return !s.skype; }
bool Idle(const HandsetSimState& s)
{
    return !s.inCall && !s.light && !s.ringing && s.lcdText.empty();
}

// A call from Ann answered with the handset: its id.
int AnswerAnn(SkypeRun& run)
{
    int id = run.skype.Incoming("Ann");
    if (id <= 0 || !run.WaitHandset([](const HandsetSimState& s) { return s.ringing; }, 5000))
        return 0;
    run.Key(80);
    if (!run.WaitCallStatus(id, "INPROGRESS", 5000) || !run.WaitHandset(InCallWithAnn, 5000))
        return 0;
    return id;
}

// The only call the simulator holds.
int OnlyCallId(SkypeRun& run)
{
    std::vector<SimCallInfo> calls;
    return run.skype.Calls(&calls) && calls.size() == 1 ? calls[0].id : 0;
}
} // namespace

// Skype freezes in a conversation long enough to be dropped, then answers again: the driver
// finds the call, shows it, and putting the handset down ends it.
TEST(CallsFoundE2E, ConversationGoesOnAfterAFreezeAndTheHandsetEndsIt)
{
    SkypeRun run;
    ASSERT_TRUE(run.Start(kQuietSkype));
    int id = AnswerAnn(run);
    ASSERT_GT(id, 0);
    run.skype.ClearLog();
    ASSERT_TRUE(run.skype.Hang(60000));
    ASSERT_TRUE(run.WaitHandset(Detached, kDropMs));
    ASSERT_TRUE(run.skype.Thaw());

    EXPECT_TRUE(run.WaitHandset(InCallWithAnn, 15000)) << "the call goes on, the handset shows "
                                                       << (run.Handset().light ? "light" : "no light");
    run.Key(70);
    EXPECT_TRUE(run.WaitCallStatus(id, "FINISHED", 5000));
    EXPECT_TRUE(run.WaitHandset(Idle, 5000));
    EXPECT_SEQUENCE((Sequence{"from the re-attach to the hang-up",
                              // a conversation is taken on its status, before its type is in
                              {kRigAudioOutCommand, kRigAudioInCommand, "SEARCH ACTIVECALLS",
                               Format("GET CALL %d STATUS", id),
                               Format("GET CALL %d PARTNER_DISPNAME", id),
                               Format("GET CALL %d TYPE", id), "HOOK ON",
                               Format("SET CALL %d STATUS FINISHED", id)}}),
                    run.Received());
    EXPECT_EQ(run.driver.Close(), 0u);
}

// The handset put down while Skype is frozen types nothing into another window (Skype still
// runs), and the call ends once Skype answers again.
TEST(CallsFoundE2E, HandsetPutDownDuringAFreezeEndsTheCallOnceSkypeAnswers)
{
    KeystrokeRecorder keys;
    ASSERT_TRUE(keys.Ready());
    SkypeRun run;
    ASSERT_TRUE(run.Start(kQuietSkype));
    int id = AnswerAnn(run);
    ASSERT_GT(id, 0);
    ASSERT_TRUE(run.skype.Hang(60000));
    ASSERT_TRUE(run.WaitHandset(Detached, kDropMs));
    run.Key(70);
    run.Key(5);
    Sleep(500); // what a detached driver types reaches the hook within this
    ASSERT_TRUE(run.skype.Thaw());

    EXPECT_TRUE(run.WaitCallStatus(id, "FINISHED", 15000))
        << "the conversation goes on after the handset went down";
    EXPECT_TRUE(run.WaitHandset(Idle, 5000));
    EXPECT_SEQUENCE((Sequence{"typed while Skype was frozen", {}}), keys.Keys());
    EXPECT_EQ(run.driver.Close(), 0u);
}

// The driver started while Skype has a call in conversation shows it, and the handset put
// down ends it; one started while a call rings rings, and lifting answers.
TEST(CallsFoundE2E, DriverStartedDuringACallTakesIt)
{
    {
        SkypeRun run;
        ASSERT_TRUE(run.Start(std::string(kQuietSkype) + " --call-in-progress Ann"));
        int id = OnlyCallId(run);
        ASSERT_GT(id, 0);
        EXPECT_TRUE(run.WaitHandset(InCallWithAnn, 10000));
        run.Key(70);
        EXPECT_TRUE(run.WaitCallStatus(id, "FINISHED", 5000));
        EXPECT_TRUE(run.WaitHandset(Idle, 5000));
        EXPECT_EQ(run.driver.Close(), 0u);
        run.skype.QuitAndWait(10000);
    }
    {
        SkypeRun run;
        ASSERT_TRUE(run.Start(std::string(kQuietSkype) + " --call-ringing Bob"));
        int id = OnlyCallId(run);
        ASSERT_GT(id, 0);
        EXPECT_TRUE(run.WaitHandset(
            [](const HandsetSimState& s) { return s.ringing && s.light && s.lcdText == "Bob"; },
            10000));
        run.Key(80);
        EXPECT_TRUE(run.WaitCallStatus(id, "INPROGRESS", 5000));
        EXPECT_TRUE(run.WaitHandset(
            [](const HandsetSimState& s) { return !s.ringing && s.inCall && s.lcdText == "Bob"; },
            5000));
        EXPECT_EQ(run.driver.Close(), 0u);
    }
}

// A Skype that does not know the search answers it with an error: nothing changes, and the
// keypad dials as before.
TEST(CallsFoundE2E, SearchAnsweredWithAnErrorChangesNothing)
{
    SkypeRun run;
    ASSERT_TRUE(run.Start(std::string(kQuietSkype) + " --no-search --call-in-progress Ann"));
    ASSERT_TRUE(run.WaitReceived("SEARCH ACTIVECALLS", 10000));
    run.Key(5); // a fence: handled after the search's answer
    ASSERT_TRUE(run.WaitReceived("BTN_RELEASED 5", 5000));
    EXPECT_SEQUENCE((Sequence{"attach, search, a digit",
                              {kRigAudioOutCommand, kRigAudioInCommand, "SEARCH ACTIVECALLS",
                               "FOCUS", "BTN_PRESSED 5", "BTN_RELEASED 5"}}),
                    run.Received());
    EXPECT_TRUE(run.WaitHandset([](const HandsetSimState& s) { return s.lcdText == "5"; }, 5000));
    HandsetSimState handset = run.Handset();
    EXPECT_FALSE(handset.inCall);
    EXPECT_FALSE(handset.light);
    EXPECT_EQ(run.driver.Close(), 0u);
}
