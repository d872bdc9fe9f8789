// Skype's replies to each command the program sends, given inside the command's send.
#include "sim_fixture.h"
#include "sequence.h"

namespace {
struct ReplyCase {
    const char* command;
    const char* reply;  // null: no reply at all
};

// With call 1001 from "Ann Example" ringing here.
const ReplyCase kReplies[] = {
    {"PING", "PONG"},
    {"SET AUDIO_OUT USB Audio Device", "AUDIO_OUT USB Audio Device"},
    {"SET AUDIO_IN USB Audio Device", "AUDIO_IN USB Audio Device"},
    {"SET AUDIO_IN ", "AUDIO_IN "},
    {"FOCUS", "FOCUS"},
    {"BTN_PRESSED 5", "BTN_PRESSED 5"},
    {"BTN_RELEASED 5", "BTN_RELEASED 5"},
    {"BTN_PRESSED *", "BTN_PRESSED *"},
    {"BTN_PRESSED UP", "BTN_PRESSED UP"},
    {"BTN_RELEASED DOWN", "BTN_RELEASED DOWN"},
    {"BTN_PRESSED CONTACTS", "ERROR 74 Invalid key"},
    {"BTN_RELEASED CONTACTS", "ERROR 74 Invalid key"},
    {"HOOK ON", "ERROR 2 Unknown command"},
    {"HOOK OFF", "ERROR 2 Unknown command"},
    {"DANCE", "ERROR 2 Unknown command"},
    {"GET CALL 1001 PARTNER_DISPNAME", "CALL 1001 PARTNER_DISPNAME Ann Example"},
    {"GET CALL 1001 PARTENER_DISPNAME", "ERROR 13 Invalid PROP"},
    {"GET CALL 1001 STATUS", "CALL 1001 STATUS RINGING"},
    {"GET CALL 999 PARTNER_DISPNAME", "ERROR 12 Unknown call"},
    {"GET CALL ann PARTNER_DISPNAME", "ERROR 11 Invalid call id"},
    {"SET CALL 1001 DTMF 5", "ERROR 41 Call not active"},
    {"SET CALL 999 STATUS FINISHED", "ERROR 20 Unknown call"},
    {"PROTOCOL 5", "PROTOCOL 5"},
};
}  // namespace

TEST_F(SkypeSimTest, RepliesToEachCommandAsSkypeDoes)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    ASSERT_EQ(control.Incoming("Ann Example"), 1001);
    ASSERT_TRUE(fake.WaitForText("CALL 1001 STATUS RINGING"));
    ASSERT_TRUE(control.ClearLog());
    std::vector<std::string> expectedLog;
    for (const ReplyCase& c : kReplies) {
        SCOPED_TRACE(c.command);
        LRESULT result = 0;
        std::vector<std::string> replies = fake.Command(c.command, &result);
        EXPECT_EQ(result, 1);
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_EQ(replies[0], c.reply);
        expectedLog.push_back(std::string("recv ") + c.command);
        expectedLog.push_back(std::string("send ") + c.reply);
    }
    EXPECT_SEQUENCE((Sequence{"replies", expectedLog}), SimLog());
    // No command above changes the call.
    std::string status;
    ASSERT_TRUE(control.CallStatus(1001, &status));
    EXPECT_EQ(status, "RINGING");
}

TEST_F(SkypeSimTest, SilentOnPingWhenToldSo)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    ASSERT_TRUE(control.SetPingReplies(false));
    EXPECT_TRUE(fake.Command("PING").empty());
    ASSERT_TRUE(control.SetPingReplies(true));
    EXPECT_EQ(fake.Command("PING"), std::vector<std::string>{"PONG"});
    EXPECT_SEQUENCE((Sequence{"silence, then PONG", {"recv PING", "recv PING", "send PONG"}}),
                    SimLog());
}

TEST_F(SkypeSimTest, MisspeltPropertyAnsweredWithTheNameOnRequest)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached("--no-greeting --no-duration --hidden --misspelt-reply"));
    ASSERT_EQ(control.Incoming("Ann Example"), 1001);
    ASSERT_TRUE(fake.WaitForText("CALL 1001 STATUS RINGING"));
    EXPECT_EQ(fake.Command("GET CALL 1001 PARTENER_DISPNAME"),
              std::vector<std::string>{"CALL 1001 PARTENER_DISPNAME Ann Example"});
    ASSERT_TRUE(control.SetMisspeltReply(false));
    EXPECT_EQ(fake.Command("GET CALL 1001 PARTENER_DISPNAME"),
              std::vector<std::string>{"ERROR 13 Invalid PROP"});
}

TEST_F(SkypeSimTest, DialPadKeysGoIntoTheNumberField)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    for (const char* key : {"0", "4", "9", "*", "#", "UP", "7"})
        fake.Command(std::string("BTN_PRESSED ") + key);
    fake.Command("BTN_RELEASED 3");  // releases type nothing
    std::string number;
    ASSERT_TRUE(control.NumberField(&number));
    EXPECT_EQ(number, "049*#7");
}

TEST_F(SkypeSimTest, ArbitraryNotificationReachesTheClient)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    ASSERT_TRUE(control.Notify("CALL 77 STATUS ONHOLD"));
    EXPECT_TRUE(fake.WaitForText("CALL 77 STATUS ONHOLD"));
    EXPECT_EQ(SimLog(), std::vector<std::string>{"send CALL 77 STATUS ONHOLD"});
}

TEST_F(SkypeSimTest, LogCarriesTimeStampsAndCanBeCleared)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    fake.Command("PING");
    Sleep(50);
    fake.Command("BTN_PRESSED UP");
    std::vector<SimLogLine> log;
    ASSERT_TRUE(control.ReadLog(&log));
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].text, "recv PING");
    EXPECT_LE(log[0].ms, log[1].ms);
    EXPECT_GE(log[2].ms, log[1].ms + 40);
    ASSERT_TRUE(control.ClearLog());
    EXPECT_TRUE(SimLog().empty());
}
