// Calls as Skype reports them: incoming and outgoing, answered, refused, missed, several at
// once, and the DURATION lines while in progress.
#include "sim_fixture.h"
#include "sequence.h"

namespace {
std::string StatusOf(SkypeSimClient& control, int id)
{
    std::string status;
    return control.CallStatus(id, &status) ? status : "<no call>";
}
// Until `text` has come `count` times: Skype repeats some statuses.
bool WaitForRepeats(FakeSkypeClient& fake, const std::string& text, size_t count)
{
    return PumpUntil([&] { return Filter(fake.Received(), text).size() >= count; }, 5000);
}
}  // namespace

TEST_F(SkypeSimTest, IncomingCallAnsweredAndEndedByTheFarEnd)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    ASSERT_EQ(control.Incoming("Ann Example"), 1001);
    ASSERT_TRUE(fake.WaitForText("CALL 1001 STATUS RINGING"));
    fake.Command("GET CALL 1001 PARTNER_DISPNAME");
    // The echo comes inside the send; the status notification after it, or already inside
    // the send when the simulator's outbox is flushed in time.
    std::vector<std::string> answer = fake.Command("SET CALL 1001 STATUS INPROGRESS");
    ASSERT_FALSE(answer.empty());
    EXPECT_EQ(answer.front(), "CALL 1001 STATUS INPROGRESS");
    ASSERT_TRUE(PumpUntil([&] { return fake.Received().size() == 7; }, 5000));
    fake.Command("SET CALL 1001 DTMF 7");
    ASSERT_TRUE(control.FarEndHangsUp(1001));
    ASSERT_TRUE(fake.WaitForText("CALL 1001 STATUS FINISHED"));
    EXPECT_SEQUENCE((Sequence{"incoming call, sim side",
                              {"send CALL 1001 CONF_ID 0",
                               "send CALL 1001 STATUS RINGING",
                               "recv GET CALL 1001 PARTNER_DISPNAME",
                               "send CALL 1001 PARTNER_DISPNAME Ann Example",
                               "recv SET CALL 1001 STATUS INPROGRESS",
                               "send CALL 1001 STATUS INPROGRESS",  // the echo
                               "send CALL 1001 STATUS INPROGRESS",  // the change
                               "send CALL 1001 VIDEO_SEND_STATUS AVAILABLE",
                               "send CALL 1001 VIDEO_STATUS VIDEO_BOTH_ENABLED",
                               "recv SET CALL 1001 DTMF 7",
                               "send CALL 1001 DTMF 7",
                               "send CALL 1001 FAILUREREASON 14",
                               "send CALL 1001 STATUS FINISHED"}}),
                    SimLog());
    EXPECT_EQ(fake.Command("SET CALL 1001 STATUS FINISHED"),
              std::vector<std::string>{"ERROR 24 Cannot hangup inactive call"});
    EXPECT_EQ(fake.Command("SET CALL 1001 DTMF 1"),
              std::vector<std::string>{"ERROR 41 Call not active"});
}

TEST_F(SkypeSimTest, IncomingCallEndsEachWayItCan)
{
    struct EndCase {
        const char* name;
        std::function<void(SkypeSimTest*, int)> end;
        const char* status;
    };
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    const EndCase cases[] = {
        {"refused here", [](SkypeSimTest* t, int id) {
             // The echo first; the status may follow inside the same send.
             std::vector<std::string> replies =
                 t->fake.Command(Format("SET CALL %d STATUS FINISHED", id));
             ASSERT_FALSE(replies.empty());
             EXPECT_EQ(replies.front(), Format("CALL %d STATUS FINISHED", id));
         }, "REFUSED"},
        {"caller gives up", [](SkypeSimTest* t, int id) {
             EXPECT_TRUE(t->control.CallerGivesUp(id));
         }, "MISSED"},
        {"caller hangs up while ringing", [](SkypeSimTest* t, int id) {
             EXPECT_TRUE(t->control.FarEndHangsUp(id));
         }, "MISSED"},
        {"nobody answers", [](SkypeSimTest* t, int) {
             EXPECT_TRUE(t->control.SetRingTimeout(300));
         }, "MISSED"},
        {"hung up here after answering", [](SkypeSimTest* t, int id) {
             t->fake.Command(Format("SET CALL %d STATUS INPROGRESS", id));
             t->fake.Command(Format("SET CALL %d STATUS FINISHED", id));
         }, "FINISHED"},
    };
    for (const EndCase& c : cases) {
        SCOPED_TRACE(c.name);
        int id = control.Incoming("Bob");
        ASSERT_GT(id, 0);
        ASSERT_TRUE(fake.WaitForText(Format("CALL %d STATUS RINGING", id)));
        c.end(this, id);
        std::string ended = Format("CALL %d STATUS %s", id, c.status);
        EXPECT_TRUE(fake.WaitForText(ended)) << "missing: " << ended;
        EXPECT_EQ(StatusOf(control, id), c.status);
        control.SetRingTimeout(0);
    }
}

TEST_F(SkypeSimTest, OutgoingCallDialledOnThePad)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    for (const char* key : {"5", "5", "0", "1"}) {
        fake.Command(std::string("BTN_PRESSED ") + key);
        fake.Command(std::string("BTN_RELEASED ") + key);
    }
    EXPECT_EQ(fake.Command("BTN_PRESSED YES"), std::vector<std::string>{"BTN_PRESSED YES"});
    fake.Command("BTN_RELEASED YES");
    ASSERT_TRUE(WaitForRepeats(fake, "CALL 1001 STATUS RINGING", 2));
    EXPECT_EQ(fake.Command("GET CALL 1001 PARTNER_DISPNAME"),
              std::vector<std::string>{"CALL 1001 PARTNER_DISPNAME 5501"});
    // Our own call cannot be answered from this side.
    EXPECT_EQ(fake.Command("SET CALL 1001 STATUS INPROGRESS"),
              std::vector<std::string>{"ERROR 21 Unknown/disallowed call prop"});
    ASSERT_TRUE(control.FarEndAnswers(1001));
    ASSERT_TRUE(fake.WaitForText("CALL 1001 VIDEO_STATUS VIDEO_BOTH_ENABLED"));
    EXPECT_EQ(fake.Command("SET CALL 1001 DTMF #"), std::vector<std::string>{"CALL 1001 DTMF #"});
    EXPECT_EQ(fake.Command("SET CALL 1001 DTMF x"),
              std::vector<std::string>{"ERROR 42 Invalid DTMF code"});
    // Answered with the echo, then the status notification: two texts alike.
    fake.Command("SET CALL 1001 STATUS FINISHED");
    ASSERT_TRUE(PumpUntil([&] {
        return Filter(fake.Received(), "CALL 1001 STATUS FINISHED").size() == 2;
    }, 5000));
    EXPECT_SEQUENCE((Sequence{"outgoing call, client side",
                              {"CALL 1001 STATUS UNPLACED", "CALL 1001 STATUS ROUTING",
                               "CALL 1001 STATUS ROUTING", "CALL 1001 STATUS RINGING",
                               "CALL 1001 STATUS RINGING", "CALL 1001 STATUS INPROGRESS",
                               "CALL 1001 STATUS FINISHED", "CALL 1001 STATUS FINISHED"}}),
                    Filter(fake.Received(), "CALL 1001 STATUS "));
}

TEST_F(SkypeSimTest, OutgoingCallNotAnsweredEndsPerSide)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    int cancelled = control.Outgoing("5501");
    int refused = control.Outgoing("5502");
    ASSERT_TRUE(fake.WaitForText(Format("CALL %d STATUS RINGING", refused)));
    fake.Command(Format("SET CALL %d STATUS FINISHED", cancelled));
    ASSERT_TRUE(control.FarEndHangsUp(refused));
    EXPECT_TRUE(fake.WaitForText(Format("CALL %d STATUS CANCELLED", cancelled)));
    EXPECT_TRUE(fake.WaitForText(Format("CALL %d STATUS REFUSED", refused)));
}

// Skype's NO button ends the newest call as this side ending it does, with no FINISHED after
// CANCELLED or REFUSED.
TEST_F(SkypeSimTest, NoButtonEndsTheNewestCallByItsState)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    const struct {
        const char* what;
        bool incoming;
        bool answered;
        const char* status;
    } cases[] = {
        {"our call ringing at the far end", false, false, "CANCELLED"},
        {"a call ringing here", true, false, "REFUSED"},
        {"a call in conversation", true, true, "FINISHED"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int id = c.incoming ? control.Incoming("Bob") : control.Outgoing("5501");
        ASSERT_TRUE(WaitForRepeats(fake, Format("CALL %d STATUS RINGING", id), c.incoming ? 1 : 2));
        if (c.answered) {
            fake.Command(Format("SET CALL %d STATUS INPROGRESS", id));
            ASSERT_TRUE(fake.WaitForText(Format("CALL %d VIDEO_STATUS VIDEO_BOTH_ENABLED", id)));
        }
        // The echo first; the status may follow inside the same send.
        std::vector<std::string> replies = fake.Command("BTN_PRESSED NO");
        ASSERT_FALSE(replies.empty());
        EXPECT_EQ(replies.front(), "BTN_PRESSED NO");
        std::string ended = Format("CALL %d STATUS %s", id, c.status);
        EXPECT_TRUE(fake.WaitForText(ended)) << "missing: " << ended;
        // A PING's PONG comes after everything queued before it.
        EXPECT_EQ(fake.Command("PING"), std::vector<std::string>{"PONG"});
        EXPECT_EQ(Filter(fake.Received(), Format("CALL %d STATUS ", id)).back(), ended);
        EXPECT_EQ(StatusOf(control, id), c.status);
    }
    fake.ClearReceived();
    EXPECT_EQ(fake.Command("BTN_PRESSED NO"), std::vector<std::string>{"BTN_PRESSED NO"});
    EXPECT_EQ(fake.Command("PING"), std::vector<std::string>{"PONG"});
    EXPECT_TRUE(Filter(fake.Received(), "CALL ").empty()) << "no call left to end";
}

TEST_F(SkypeSimTest, SeveralCallsAtOnceKeepTheirOwnStates)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    int first = control.Incoming("Ann Example");
    ASSERT_TRUE(fake.WaitForText(Format("CALL %d STATUS RINGING", first)));
    fake.Command(Format("SET CALL %d STATUS INPROGRESS", first));
    int second = control.Incoming("Bob");
    int third = control.Outgoing("123");
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(third, first + 2);
    ASSERT_TRUE(WaitForRepeats(fake, Format("CALL %d STATUS RINGING", third), 2));
    EXPECT_EQ(fake.Command(Format("SET CALL %d DTMF 1", second)),
              std::vector<std::string>{"ERROR 41 Call not active"});
    EXPECT_EQ(fake.Command(Format("SET CALL %d DTMF 1", first)),
              std::vector<std::string>{Format("CALL %d DTMF 1", first)});
    fake.Command(Format("SET CALL %d STATUS FINISHED", second));
    ASSERT_TRUE(fake.WaitForText(Format("CALL %d STATUS REFUSED", second)));

    std::vector<SimCallInfo> calls;
    ASSERT_TRUE(control.Calls(&calls));
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].status, "INPROGRESS");
    EXPECT_TRUE(calls[0].incoming);
    EXPECT_EQ(calls[0].partner, "Ann Example");
    EXPECT_EQ(calls[1].status, "REFUSED");
    EXPECT_EQ(calls[2].status, "RINGING");
    EXPECT_FALSE(calls[2].incoming);
    EXPECT_EQ(calls[2].partner, "123");
}

TEST_F(SkypeSimTest, DurationOncePerSecondWhileInProgress)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached("--no-greeting --hidden"));
    int id = control.Incoming("Ann Example");
    ASSERT_TRUE(fake.WaitForText(Format("CALL %d STATUS RINGING", id)));
    EXPECT_TRUE(Filter(fake.Received(), Format("CALL %d DURATION", id)).empty())
        << "DURATION before the call was answered";
    fake.Command(Format("SET CALL %d STATUS INPROGRESS", id));
    ASSERT_TRUE(fake.WaitForText(Format("CALL %d DURATION 2", id), 5000));
    ASSERT_TRUE(control.FarEndHangsUp(id));
    ASSERT_TRUE(fake.WaitForText(Format("CALL %d STATUS FINISHED", id)));
    PumpFor(1300);
    EXPECT_SEQUENCE((Sequence{"durations", {Format("CALL %d DURATION 1", id),
                                            Format("CALL %d DURATION 2", id)}}),
                    Filter(fake.Received(), "CALL 1001 DURATION"));

    std::vector<SimLogLine> log;
    ASSERT_TRUE(control.ReadLog(&log));
    unsigned long connected = 0, first = 0, second = 0;
    for (const SimLogLine& line : log) {
        if (line.text == Format("send CALL %d STATUS INPROGRESS", id) && !connected)
            connected = line.ms;
        if (line.text == Format("send CALL %d DURATION 1", id))
            first = line.ms;
        if (line.text == Format("send CALL %d DURATION 2", id))
            second = line.ms;
    }
    // A second apart, within what a loaded machine adds.
    EXPECT_GE(first - connected, 900u);
    EXPECT_GE(second - first, 800u);
    EXPECT_LE(second - first, 1600u);
}
