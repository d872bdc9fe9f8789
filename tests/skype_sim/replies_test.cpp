// Skype's replies to each command the program sends: inside the command's send, or later
// when told to be slow.
#include <functional>

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
    {"SET AUDIO_IN Mikrofon (USB-Audioger\xC3\xA4t)", "AUDIO_IN Mikrofon (USB-Audioger\xC3\xA4t)"},
    // Only a device of its own, named in UTF-8: not the ANSI rendering, not an output, not "".
    {"SET AUDIO_IN Mikrofon (USB-Audioger\xE4t)", "ERROR 50 cannot set device"},
    {"SET AUDIO_IN USB Audio Device", "ERROR 50 cannot set device"},
    {"SET AUDIO_OUT Headset", "ERROR 50 cannot set device"},
    {"SET AUDIO_IN ", "ERROR 50 cannot set device"},
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
    {"GET CALL 1001 PARTNER_HANDLE", "CALL 1001 PARTNER_HANDLE ann.example"},
    {"GET CALL 1001 STATUS", "CALL 1001 STATUS RINGING"},
    {"GET CALL 1001 TYPE", "CALL 1001 TYPE INCOMING_P2P"},
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

// What Skype tells about a caller: the display name (UTF-8, possibly empty, the blank after
// the property kept) and the handle, for a contact, an unknown account and a phone number.
TEST_F(SkypeSimTest, CallersAreKnownByHandleAndDisplayName)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    const struct {
        std::function<int(SkypeSimClient&)> call;
        const char* handle;
        const char* name;
        const char* type;
    } cases[] = {
        {[](SkypeSimClient& c) { return c.Incoming("Zo\xC3\xAB M\xC3\xBCller"); },
         "zo\xC3\xAB.m\xC3\xBCller", "Zo\xC3\xAB M\xC3\xBCller", "INCOMING_P2P"},
        {[](SkypeSimClient& c) { return c.IncomingFrom("zoe.m", "Zo\xC3\xAB M\xC3\xBCller"); },
         "zoe.m", "Zo\xC3\xAB M\xC3\xBCller", "INCOMING_P2P"},
        {[](SkypeSimClient& c) { return c.IncomingFrom("echo123"); }, "echo123", "",
         "INCOMING_P2P"},
        {[](SkypeSimClient& c) { return c.IncomingFrom("+15551234567"); }, "+15551234567", "",
         "INCOMING_PSTN"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.handle);
        int id = c.call(control);
        ASSERT_GT(id, 0);
        ASSERT_TRUE(fake.WaitForText(Format("CALL %d STATUS RINGING", id)));
        EXPECT_EQ(fake.Command(Format("GET CALL %d PARTNER_DISPNAME", id)),
                  std::vector<std::string>{Format("CALL %d PARTNER_DISPNAME %s", id, c.name)});
        EXPECT_EQ(fake.Command(Format("GET CALL %d PARTNER_HANDLE", id)),
                  std::vector<std::string>{Format("CALL %d PARTNER_HANDLE %s", id, c.handle)});
        EXPECT_EQ(fake.Command(Format("GET CALL %d TYPE", id)),
                  std::vector<std::string>{Format("CALL %d TYPE %s", id, c.type)});
        std::vector<SimCallInfo> calls;
        ASSERT_TRUE(control.Calls(&calls));
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back().id, id);
        EXPECT_EQ(calls.back().handle, c.handle);
        EXPECT_EQ(calls.back().partner, c.name);
        EXPECT_TRUE(control.CallerGivesUp(id));
    }
    std::string refusal;
    EXPECT_FALSE(control.Request("incoming", &refusal));
    EXPECT_EQ(refusal, "expected a name (incoming-from <handle> calls without one)");
    EXPECT_FALSE(control.Request("incoming-from", &refusal));
}

// A busy Skype: replies to GET come as messages of their own, after the command's send has
// returned; other replies still come inside it.
TEST_F(SkypeSimTest, GetRepliesDelayedOnRequest)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached("--no-greeting --no-duration --hidden --get-delay 400"));
    int id = control.IncomingFrom("+15551234567");
    ASSERT_TRUE(fake.WaitForText(Format("CALL %d STATUS RINGING", id)));
    ASSERT_TRUE(control.ClearLog());
    DWORD asked = GetTickCount();
    EXPECT_TRUE(fake.Command(Format("GET CALL %d PARTNER_HANDLE", id)).empty());
    EXPECT_EQ(fake.Command("PING"), std::vector<std::string>{"PONG"});
    std::string reply = Format("CALL %d PARTNER_HANDLE +15551234567", id);
    ASSERT_TRUE(fake.WaitForText(reply, 5000));
    EXPECT_GE(GetTickCount() - asked, 350u);
    EXPECT_SEQUENCE((Sequence{"delayed reply",
                              {Format("recv GET CALL %d PARTNER_HANDLE", id), "recv PING",
                               "send PONG", "send " + reply}}),
                    SimLog());

    ASSERT_TRUE(control.SetGetDelay(0));
    EXPECT_EQ(fake.Command(Format("GET CALL %d PARTNER_HANDLE", id)),
              std::vector<std::string>{reply});
}
