// Call tracking: Skype's CALL notifications against handset calls, commands and state.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>

#include "app_fixture.h"
#include "core/app_state.h"
#include "skype/call_tracking.h"

namespace {
const std::string kInCallOn[] = {LcdEntry(1, 1, 0, nullptr, 0), "light 1"};
const std::string kInCallOff[] = {LcdEntry(1, 0, 0, nullptr, 0), "light 0"};
const std::string kIdle = LcdEntry(4, 1, 6, "", 1);

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}
const std::vector<std::string> kOn(std::begin(kInCallOn), std::end(kInCallOn));
const std::vector<std::string> kOff(std::begin(kInCallOff), std::end(kInCallOff));

std::string SetsOf(int id)
{
    std::string where;
    if (g_app.placedCalls.Contains(id))
        where += "P";
    if (g_app.activeCalls.Contains(id))
        where += "A";
    return where.empty() ? "-" : where;
}

void PutInSets(int id, const std::string& where)
{
    if (where.find('P') != std::string::npos)
        g_app.placedCalls.Add(id);
    if (where.find('A') != std::string::npos)
        g_app.activeCalls.Add(id);
}

void SetDialBuffer(const char* text)
{
    strcpy(g_app.dialBuffer.text, text);
    g_app.dialBuffer.length = int(strlen(text));
}

class CallTracking : public AppFixture {
protected:
    void Prepare() override
    {
        Attach();
    }
};
} // namespace

// One status word per row, for call 7 in neither set, with call 9 recorded as ringing and
// "123" on the display: the handset calls and commands in order, and the state after.
TEST_F(CallTracking, EachStatusWordActsInItsOrder)
{
    struct Row {
        const char* word;
        std::vector<std::string> calls;
        const char* setsAfter;
        int ringingAfter;
        const char* displayAfter;
    };
    const Row rows[] = {
        {"FAILED", Join({kOff, {"ring 0"}}), "-", 0, "123"},
        {"ROUTING", {}, "P", 9, "123"},
        {"UNPLACED", Join({kOff, {"ring 0"}}), "-", 0, "123"},
        {"RINGING", Join({kOn, {"ring 1", "skype GET CALL 7 PARTNER_DISPNAME"}}), "-", 7, "123"},
        {"INPROGRESS", Join({kOn, {"ring 0"}}), "A", 0, "123"},
        {"ONHOLD", {}, "-", 9, "123"},
        {"FINISHED", Join({kOff, {"ring 0", kIdle}}), "-", 9, ""},
        {"MISSED", Join({kOff, {"ring 0", kIdle}}), "-", 0, ""},
        {"REFUSED", Join({kOff, {"ring 0", kIdle}}), "-", 0, ""},
        {"CANCELLED", Join({kOff, {"ring 0", kIdle}}), "-", 0, ""},
        {"BUSY", Join({kOff, {"ring 0", kIdle}}), "-", 0, ""},
        {"EARLYMEDIA", {}, "-", 9, "123"},
        {"RINGINGX", {}, "-", 9, "123"},
        {"FINISHED STATUS RINGING", {}, "-", 9, "123"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.word);
        Fresh();
        g_app.ringingCallId = 9;
        SetDialBuffer("123");
        EXPECT_EQ(Notify(("CALL 7 STATUS " + std::string(row.word)).c_str()), 1);
        EXPECT_SEQUENCE((Sequence{row.word, row.calls}), Log());
        EXPECT_EQ(SetsOf(7), row.setsAfter);
        EXPECT_EQ(g_app.ringingCallId, row.ringingAfter);
        EXPECT_STREQ(g_app.dialBuffer.text, row.displayAfter);
        if (std::string(row.word) == "ROUTING") {
            EXPECT_EQ(g_app.placedCallId, 7);
        }
    }
}

TEST_F(CallTracking, CallIdLivesInTheSetsAsTabled)
{
    const char* before[] = {"-", "P", "A", "PA"};
    struct Column {
        const char* words;
        const char* after[4];
    };
    const Column columns[] = {
        {"ROUTING", {"P", "P", "PA", "PA"}},
        {"INPROGRESS", {"A", "PA", "A", "PA"}},
        {"FAILED", {"-", "-", "A", "A"}},
        {"UNPLACED", {"-", "-", "A", "A"}},
        {"FINISHED", {"-", "-", "-", "-"}},
        {"MISSED", {"-", "-", "-", "-"}},
        {"REFUSED", {"-", "-", "-", "-"}},
        {"CANCELLED", {"-", "-", "-", "-"}},
        {"BUSY", {"-", "-", "-", "-"}},
        {"RINGING", {"-", "P", "A", "PA"}},
        {"ONHOLD", {"-", "P", "A", "PA"}},
    };
    for (const Column& column : columns) {
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(std::string(column.words) + " from " + before[i]);
            Fresh();
            PutInSets(7, before[i]);
            Notify(("CALL 7 STATUS " + std::string(column.words)).c_str());
            EXPECT_EQ(SetsOf(7), column.after[i]);
        }
    }
}

TEST_F(CallTracking, IdsBelowOneAndUnreadableTextsChangeNothing)
{
    const char* texts[] = {"CALL 0 STATUS RINGING", "CALL -5 STATUS RINGING",
                           "CALL 0 PARTNER_DISPNAME Ann", "call 5 STATUS RINGING",
                           "CALL x STATUS RINGING", "CALL 99999999999 STATUS RINGING",
                           "CALL 7 status ringing", "CALL 7 STATUS ringing"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Notify(text), 1);
        EXPECT_TRUE(Log().empty());
        EXPECT_EQ(g_app.ringingCallId, 0);
        EXPECT_EQ(g_app.dialBuffer.length, 0);
    }
}

TEST_F(CallTracking, PlacedCallRingingAtTheFarEndDoesNotRing)
{
    Notify("CALL 7 STATUS ROUTING");
    Notify("CALL 7 STATUS RINGING");
    EXPECT_SEQUENCE((Sequence{"placed call ringing", kOn}), Log());
    EXPECT_EQ(g_app.ringingCallId, 7);
}

TEST_F(CallTracking, IncomingCallCourseShowsTheNameAndReturnsToIdle)
{
    ReplyTo("GET CALL 8 PARTNER_DISPNAME", "CALL 8 PARTNER_DISPNAME Ann Example");
    Notify("CALL 8 STATUS RINGING");
    AnswerCall(g_app.ringingCallId);
    Notify("CALL 8 STATUS INPROGRESS");
    EXPECT_STREQ(g_app.dialBuffer.text, "Ann Example");
    Notify("CALL 8 STATUS FINISHED");
    const Sequence expected = {
        "incoming call answered and finished",
        Join({kOn,
              {"ring 1", "skype GET CALL 8 PARTNER_DISPNAME",
               // the reply is handled inside the send
               LcdEntry(3, 1, 6, "Ann Example", 1), "skype SET CALL 8 STATUS INPROGRESS"},
              kOn, {"ring 0"}, kOff, {"ring 0", kIdle}})};
    EXPECT_SEQUENCE(expected, Log());
    EXPECT_TRUE(g_app.activeCalls.IsEmpty());
    EXPECT_EQ(g_app.inCall, 0);
}

// Skype may report the call's end while the name request is still being sent: that report
// must stand, or a later YES would answer a call that is gone.
TEST_F(CallTracking, CallEndedWhileItsNameIsAskedIsNotRingingAfterwards)
{
    for (const char* end : {"MISSED", "INPROGRESS", "REFUSED"}) {
        SCOPED_TRACE(end);
        Fresh();
        ReplyTo("GET CALL 8 PARTNER_DISPNAME", std::string("CALL 8 STATUS ") + end);
        Notify("CALL 8 STATUS RINGING");
        EXPECT_EQ(g_app.ringingCallId, 0);
        EXPECT_FALSE(g_app.ringerOn);
    }
}

TEST_F(CallTracking, OutgoingCallCourse)
{
    for (const char* word : {"UNPLACED", "ROUTING", "RINGING", "INPROGRESS", "FINISHED"})
        Notify(("CALL 12 STATUS " + std::string(word)).c_str());
    const Sequence expected = {
        "outgoing call", Join({kOff, {"ring 0"}, kOn, kOn, {"ring 0"}, kOff, {"ring 0", kIdle}})};
    EXPECT_SEQUENCE(expected, Log());
    EXPECT_EQ(g_app.placedCallId, 12);
    EXPECT_TRUE(g_app.placedCalls.IsEmpty());
}

// The refused second call's FINISHED must not end the conversation still going on.
TEST_F(CallTracking, RefusedSecondCallLeavesTheFirstCallAlone)
{
    Notify("CALL 8 STATUS INPROGRESS");
    SetDialBuffer("Ann");
    ClearLog();
    Notify("CALL 9 STATUS RINGING");
    Notify("CALL 9 STATUS FINISHED");
    const Sequence expected = {
        "second call refused",
        Join({kOn, {"skype SET CALL 9 STATUS FINISHED", "ring 0"}})};
    EXPECT_SEQUENCE(expected, Log());
    EXPECT_TRUE(g_app.activeCalls.Contains(8));
    EXPECT_EQ(g_app.inCall, 1);
    EXPECT_STREQ(g_app.dialBuffer.text, "Ann");
    EXPECT_EQ(g_app.ringingCallId, 0); // ended: lifting answers nothing that has ended

    ClearLog();
    Notify("CALL 8 STATUS FINISHED");
    EXPECT_SEQUENCE((Sequence{"first call ends", Join({kOff, {"ring 0", kIdle}})}), Log());
}

// Skype sends the same status two or three times in a row: only the first RINGING acts.
TEST_F(CallTracking, RepeatedRingingChangesNothing)
{
    const struct {
        const char* what;
        std::vector<const char*> before;
        std::vector<std::string> first;
    } cases[] = {
        {"incoming call", {}, Join({kOn, {"ring 1", "skype GET CALL 9 PARTNER_DISPNAME"}})},
        {"second call during a conversation", {"CALL 8 STATUS INPROGRESS"},
         Join({kOn, {"skype SET CALL 9 STATUS FINISHED"}})},
        {"our own call at the far end", {"CALL 9 STATUS ROUTING"}, kOn},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        for (const char* text : c.before)
            Notify(text);
        ClearLog();
        Notify("CALL 9 STATUS RINGING");
        Notify("CALL 9 STATUS RINGING");
        Notify("CALL 9 STATUS RINGING");
        EXPECT_SEQUENCE((Sequence{c.what, c.first}), Log());
    }
}

// Our own call given up before the far end answered ends as CANCELLED, and one whose callee
// is busy as BUSY, each with no FINISHED after it: nothing of it stays, the next digit is a
// key tone again, not DTMF, and YES answers nothing.
TEST_F(CallTracking, CancelledOrBusyPlacedCallLeavesNothingBehind)
{
    for (const char* end : {"CANCELLED", "BUSY"}) {
        SCOPED_TRACE(end);
        Fresh();
        for (const char* word : {"UNPLACED", "ROUTING", "ROUTING", "RINGING", "RINGING"})
            Notify(("CALL 12 STATUS " + std::string(word)).c_str());
        SetDialBuffer("555");
        ClearLog();
        Notify(("CALL 12 STATUS " + std::string(end)).c_str());
        EXPECT_SEQUENCE((Sequence{end, Join({kOff, {"ring 0", kIdle}})}), Log());
        EXPECT_EQ(g_app.inCall, 0);
        EXPECT_EQ(g_app.ringingCallId, 0);
        EXPECT_EQ(SetsOf(12), "-");
    }
}

// Calls that overlap: one call ending or answered leaves the others as they are. Each
// course ends with the indicator, the ringer, the display and the call YES answers as the
// calls still held demand (our call 12 is placed in Skype as Skype reports it; 8 and 9 ring
// here from Ann and Bob; the handset is down).
TEST_F(CallTracking, OneOfOverlappingCallsLeavesTheOthersAsTheyAre)
{
    const std::vector<std::string> kPlaced = {"12 UNPLACED", "12 ROUTING", "12 RINGING"};
    struct Course {
        const char* what;
        std::vector<std::string> notifications; // "<id> <STATUS>"
        int inCall;
        bool ringer;
        const char* display;
        int ringingCall;
    };
    const Course courses[] = {
        {"a call ringing here missed while ours rings at the far end",
         Join({kPlaced, {"8 RINGING", "8 MISSED"}}), 1, false, "", 0},
        {"ours placed while a call rings here",
         Join({{"8 RINGING"}, kPlaced}), 1, true, "Ann", 8},
        {"ours busy while a call rings here",
         Join({{"8 RINGING"}, kPlaced, {"12 BUSY"}}), 1, true, "Ann", 8},
        {"ours answered while a call rings here",
         Join({{"8 RINGING"}, kPlaced, {"12 INPROGRESS"}}), 1, true, "Ann", 8},
        {"the first of two ringing calls missed",
         {"8 RINGING", "9 RINGING", "8 MISSED"}, 1, true, "Bob", 9},
        {"the second of two ringing calls missed, its caller no longer shown",
         {"8 RINGING", "9 RINGING", "9 MISSED"}, 1, true, "", 8},
        {"one of two ringing calls answered in Skype",
         {"8 RINGING", "9 RINGING", "9 INPROGRESS"}, 1, true, "Bob", 8},
        {"the caller shown gives up during our conversation",
         Join({{"8 RINGING"}, kPlaced, {"12 INPROGRESS", "8 MISSED"}}), 1, false, "", 0},
        {"the ringing call fails", {"8 RINGING", "8 FAILED"}, 0, false, "", 0},
        {"the caller shown gives up while the name of a later call is still awaited",
         {"8 RINGING", "7 RINGING", "8 MISSED"}, 1, true, "", 7},
        {"a call refused during a conversation that then ends, while another rings here",
         Join({{"8 RINGING"}, kPlaced,
               {"12 INPROGRESS", "9 RINGING", "9 FINISHED", "12 FINISHED"}}),
         1, true, "Ann", 8},
    };
    for (const Course& course : courses) {
        SCOPED_TRACE(course.what);
        Fresh();
        ReplyTo("GET CALL 8 PARTNER_DISPNAME", "CALL 8 PARTNER_DISPNAME Ann");
        ReplyTo("GET CALL 9 PARTNER_DISPNAME", "CALL 9 PARTNER_DISPNAME Bob");
        // Call 7's name is asked and never answered.
        g_app.hookState = 1;
        for (const std::string& notification : course.notifications)
            Notify(("CALL " + notification.substr(0, notification.find(' ')) + " STATUS " +
                    notification.substr(notification.find(' ') + 1)).c_str());
        EXPECT_EQ(g_app.inCall, course.inCall);
        EXPECT_EQ(g_app.ringerOn, course.ringer);
        EXPECT_STREQ(g_app.dialBuffer.text, course.display);
        EXPECT_EQ(g_app.ringingCallId, course.ringingCall);
    }
}

// The handset lifted: a call that comes in does not ring at the ear; putting the handset
// down starts its ringer, and only a ringer that rings is answered by lifting.
TEST_F(CallTracking, CallComingWhileLiftedRingsOnlyOncePutDown)
{
    ReplyTo("GET CALL 8 PARTNER_DISPNAME", "CALL 8 PARTNER_DISPNAME Ann");
    g_app.hookState = 0;
    Notify("CALL 8 STATUS RINGING");
    EXPECT_SEQUENCE((Sequence{"ringing while lifted",
                              Join({kOn, {"skype GET CALL 8 PARTNER_DISPNAME",
                                          LcdEntry(3, 1, 6, "Ann", 1)}})}),
                    Log());
    ClearLog();
    AnswerRingingCallOnLift();
    EXPECT_TRUE(Log().empty());
    EXPECT_TRUE(RingSilentCall());
    EXPECT_FALSE(RingSilentCall());
    AnswerRingingCallOnLift();
    EXPECT_SEQUENCE((Sequence{"put down, lifted", {"ring 1", "skype SET CALL 8 STATUS INPROGRESS"}}),
                    Log());

    // Ended while silent: nothing is left to ring.
    for (const char* end : {"MISSED", "INPROGRESS", "REFUSED"}) {
        SCOPED_TRACE(end);
        Fresh();
        g_app.hookState = 0;
        Notify("CALL 8 STATUS RINGING");
        Notify((std::string("CALL 8 STATUS ") + end).c_str());
        EXPECT_FALSE(RingSilentCall());
    }
}

// Hanging up with the hook switch: calls in conversation and our own call not yet answered,
// each once, in ascending order; a call whose end arrives inside an earlier send is skipped.
TEST_F(CallTracking, HangUpEndsConversationsAndPlacedCalls)
{
    const struct {
        const char* what;
        std::vector<const char*> before;
        std::vector<std::string> sent;
    } cases[] = {
        {"nothing", {}, {}},
        {"an incoming call ringing", {"CALL 8 STATUS RINGING"}, {}},
        {"in conversation", {"CALL 8 STATUS INPROGRESS"}, {"skype SET CALL 8 STATUS FINISHED"}},
        {"our call routing", {"CALL 12 STATUS ROUTING"}, {"skype SET CALL 12 STATUS FINISHED"}},
        {"our call ringing", {"CALL 12 STATUS ROUTING", "CALL 12 STATUS RINGING"},
         {"skype SET CALL 12 STATUS FINISHED"}},
        {"our call in conversation", {"CALL 12 STATUS ROUTING", "CALL 12 STATUS INPROGRESS"},
         {"skype SET CALL 12 STATUS FINISHED"}},
        {"two held and one placed",
         {"CALL 9 STATUS INPROGRESS", "CALL 4 STATUS INPROGRESS", "CALL 12 STATUS ROUTING"},
         {"skype SET CALL 4 STATUS FINISHED", "skype SET CALL 9 STATUS FINISHED",
          "skype SET CALL 12 STATUS FINISHED"}},
        {"our call failed", {"CALL 12 STATUS ROUTING", "CALL 12 STATUS FAILED"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        for (const char* text : c.before)
            Notify(text);
        ClearLog();
        HangUpCalls();
        EXPECT_SEQUENCE((Sequence{c.what, c.sent}), Log());
    }

    Fresh();
    Notify("CALL 4 STATUS INPROGRESS");
    Notify("CALL 9 STATUS INPROGRESS");
    ReplyTo("SET CALL 4 STATUS FINISHED", "CALL 9 STATUS FINISHED");
    ClearLog();
    HangUpCalls();
    EXPECT_EQ(Filter(Log(), "skype "), (std::vector<std::string>{"skype SET CALL 4 STATUS FINISHED"}));
}

TEST_F(CallTracking, FailedOrUnplacedDuringAConversationKeepsIt)
{
    Notify("CALL 8 STATUS INPROGRESS");
    ClearLog();
    Notify("CALL 12 STATUS ROUTING");
    Notify("CALL 12 STATUS FAILED");
    EXPECT_SEQUENCE((Sequence{"failed second call", {"ring 0"}}), Log());
    EXPECT_EQ(g_app.inCall, 1);
}

// The reply to the name asked for the call that rings: the whole value is the name, folded
// to the LCD's single bytes and cut after 999 characters; an empty one asks for the handle.
TEST_F(CallTracking, DisplayNameReplies)
{
    const std::string longName(1200, 'x');
    const struct {
        const char* text;
        std::string name;
        std::vector<std::string> calls;
    } cases[] = {
        {"CALL 8 PARTNER_DISPNAME Ann", "Ann", {LcdEntry(3, 1, 6, "Ann", 1)}},
        {"CALL 8 PARTENER_DISPNAME Bob", "Bob", {LcdEntry(3, 1, 6, "Bob", 1)}},
        {"CALL 8 PARTENER_DISPNAME x PARTNER_DISPNAME y", "x PARTNER_DISPNAME y",
         {LcdEntry(3, 1, 6, "x PARTNER_DISPNAME y", 1)}},
        {"CALL 8 PARTNER_DISPNAME ", "", {kIdle, "skype GET CALL 8 PARTNER_HANDLE"}},
        {"CALL 8 PARTNER_DISPNAME", "123", {}}, // no value: not the reply
        {"CALL 8 PARTNER_DISPNAME Ann PARTNER_HANDLE ann.e", "Ann PARTNER_HANDLE ann.e",
         {LcdEntry(3, 1, 6, "Ann PARTNER_HANDLE ann.e", 1)}},
        // Skype's UTF-8, folded to the LCD's single bytes
        {"CALL 8 PARTNER_DISPNAME Zo\xC3\xAB M\xC3\xBCller", "Zoe Muller",
         {LcdEntry(3, 1, 6, "Zoe Muller", 1)}},
        {"CALL 8 PARTNER_DISPNAME \xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD Stra\xC3\x9F" "e",
         "???? Strasse", {LcdEntry(3, 1, 6, "???? Strasse", 1)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Fresh();
        Notify("CALL 8 STATUS RINGING");
        SetDialBuffer("123");
        ClearLog();
        Notify(c.text);
        EXPECT_SEQUENCE((Sequence{c.text, c.calls}), Log());
        EXPECT_EQ(g_app.dialBuffer.text, c.name);
    }
    Notify(("CALL 8 PARTNER_DISPNAME " + longName).c_str());
    EXPECT_EQ(g_app.dialBuffer.length, 999);
    EXPECT_EQ(std::string(g_app.dialBuffer.text), longName.substr(0, 999));
}

// A caller's name is only a name: status words in it neither end nor answer the call, which
// rings on under that name and is answered by lifting the handset.
TEST_F(CallTracking, StatusWordsInACallersNameAreOnlyItsName)
{
    for (const char* name : {"Eve STATUS FINISHED", "Bob STATUS INPROGRESS", "Al STATUS MISSED"}) {
        SCOPED_TRACE(name);
        Fresh();
        ReplyTo("GET CALL 8 PARTNER_DISPNAME", std::string("CALL 8 PARTNER_DISPNAME ") + name);
        Notify("CALL 8 STATUS RINGING");
        EXPECT_SEQUENCE((Sequence{name, Join({kOn, {"ring 1", "skype GET CALL 8 PARTNER_DISPNAME",
                                                    LcdEntry(3, 1, 6, name, 1)}})}),
                        Log());
        EXPECT_EQ(g_app.inCall, 1);
        EXPECT_EQ(g_app.ringingCallId, 8);
        ClearLog();
        AnswerRingingCallOnLift();
        EXPECT_SEQUENCE((Sequence{"lifted", {"skype SET CALL 8 STATUS INPROGRESS"}}), Log());
    }
}

// A name reply is shown only for the call whose caller was asked for last, while it still
// rings here or is in conversation: a late reply puts nobody on an idle display, nor over
// the caller of the call that rings now.
TEST_F(CallTracking, NameOnlyForTheCallAskedWhileItLasts)
{
    const struct {
        const char* what;
        std::function<void()> meanwhile;
        const char* reply;
        bool shown;
    } cases[] = {
        {"still ringing", [] {}, "CALL 8 PARTNER_DISPNAME Ann", true},
        {"answered", [this] { Notify("CALL 8 STATUS INPROGRESS"); }, "CALL 8 PARTNER_DISPNAME Ann",
         true},
        {"missed", [this] { Notify("CALL 8 STATUS MISSED"); }, "CALL 8 PARTNER_DISPNAME Ann",
         false},
        {"refused", [this] { Notify("CALL 8 STATUS REFUSED"); }, "CALL 8 PARTNER_DISPNAME Ann",
         false},
        {"answered and finished",
         [this] {
             Notify("CALL 8 STATUS INPROGRESS");
             Notify("CALL 8 STATUS FINISHED");
         },
         "CALL 8 PARTNER_DISPNAME Ann", false},
        {"another call rings now",
         [this] {
             Notify("CALL 8 STATUS MISSED");
             Notify("CALL 9 STATUS RINGING");
         },
         "CALL 8 PARTNER_DISPNAME Ann", false},
        {"Skype lost", [] { ForgetCallsOfLostSkype(); }, "CALL 8 PARTNER_DISPNAME Ann", false},
        {"a call never asked about", [] {}, "CALL 5 PARTNER_DISPNAME Ann", false},
        {"a refused second call",
         [this] {
             Notify("CALL 8 STATUS INPROGRESS");
             Notify("CALL 9 STATUS RINGING");
         },
         "CALL 9 PARTNER_DISPNAME Bob", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        Notify("CALL 8 STATUS RINGING"); // the name is asked and not yet answered
        c.meanwhile();
        std::string before = g_app.dialBuffer.text;
        ClearLog();
        Notify(c.reply);
        if (c.shown) {
            EXPECT_SEQUENCE((Sequence{c.what, {LcdEntry(3, 1, 6, "Ann", 1)}}), Log());
        } else {
            EXPECT_SEQUENCE((Sequence{c.what, {}}), Log());
            EXPECT_EQ(g_app.dialBuffer.text, before);
        }
    }
}

// The 999 characters count on the LCD's side: a long name of two-byte letters fits whole,
// a name spelled longer than it is keeps its first 999 characters.
TEST_F(CallTracking, NameLimitAppliesToTheFoldedText)
{
    const struct {
        const char* utf8Letter;
        int count;
        std::string shown;
    } cases[] = {
        {"\xC3\xA9", 700, std::string(700, 'e')}, // é: 1400 bytes, 700 characters
        {"\xC3\x9F", 600, std::string(999, 's')}, // ß: 1200 characters, cut after 999
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        Fresh();
        std::string name;
        for (int i = 0; i < c.count; ++i)
            name += c.utf8Letter;
        Notify("CALL 8 STATUS RINGING");
        Notify(("CALL 8 PARTNER_DISPNAME " + name).c_str());
        EXPECT_EQ(g_app.dialBuffer.length, int(c.shown.size()));
        EXPECT_EQ(std::string(g_app.dialBuffer.text), c.shown);
    }
}

// A caller without a display name is shown by the handle Skype knows them by.
TEST_F(CallTracking, EmptyNameAsksForTheHandleAndShowsIt)
{
    const struct {
        const char* nameReply;
        std::string shownMeanwhile;
        const char* handleReply;
        const char* shown;
    } cases[] = {
        {"CALL 8 PARTNER_DISPNAME ", kIdle, "CALL 8 PARTNER_HANDLE +15551234567", "+15551234567"},
        {"CALL 8 PARTNER_DISPNAME   ", LcdEntry(3, 1, 6, "  ", 1),
         "CALL 8 PARTNER_HANDLE +15551234567", "+15551234567"},
        {"CALL 8 PARTENER_DISPNAME \t", LcdEntry(3, 1, 6, "\t", 1),
         "CALL 8 PARTNER_HANDLE live:zo\xC3\xAB", "live:zoe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nameReply);
        Fresh();
        ReplyTo("GET CALL 8 PARTNER_DISPNAME", c.nameReply);
        ReplyTo("GET CALL 8 PARTNER_HANDLE", c.handleReply);
        Notify("CALL 8 STATUS RINGING");
        const Sequence expected = {
            "unknown caller",
            Join({kOn,
                  {"ring 1", "skype GET CALL 8 PARTNER_DISPNAME", c.shownMeanwhile,
                   "skype GET CALL 8 PARTNER_HANDLE", LcdEntry(3, 1, 6, c.shown, 1)}})};
        EXPECT_SEQUENCE(expected, Log());
        EXPECT_STREQ(g_app.dialBuffer.text, c.shown);
        EXPECT_EQ(g_app.ringingCallId, 8);
    }
}

// Skype may also answer after the command's send has returned, in separate messages.
TEST_F(CallTracking, EmptyNameAndHandleAnsweredLater)
{
    Notify("CALL 8 STATUS RINGING");
    Notify("CALL 8 PARTNER_DISPNAME ");
    Notify("CALL 8 PARTNER_HANDLE echo123");
    const Sequence expected = {
        "replies after the sends",
        Join({kOn,
              {"ring 1", "skype GET CALL 8 PARTNER_DISPNAME", kIdle,
               "skype GET CALL 8 PARTNER_HANDLE", LcdEntry(3, 1, 6, "echo123", 1)}})};
    EXPECT_SEQUENCE(expected, Log());
}

// The handle is shown only while its call still rings here or is in conversation: once it
// has ended (FINISHED leaves the ringing call id as it was), another call rings, or Skype
// went away, the late reply changes nothing.
TEST_F(CallTracking, HandleOnlyForTheCallStillRinging)
{
    const struct {
        const char* what;
        std::function<void()> meanwhile;
        bool shown;
    } cases[] = {
        {"nothing", [] {}, true},
        {"name shown by now", [this] { Notify("CALL 8 PARTNER_DISPNAME Ann"); }, false},
        {"answered", [this] { Notify("CALL 8 STATUS INPROGRESS"); }, true},
        {"finished", [this] { Notify("CALL 8 STATUS FINISHED"); }, false},
        {"missed", [this] { Notify("CALL 8 STATUS MISSED"); }, false},
        {"refused", [this] { Notify("CALL 8 STATUS REFUSED"); }, false},
        {"another call rings", [this] { Notify("CALL 9 STATUS RINGING"); }, false},
        {"Skype lost", [] { ForgetCallsOfLostSkype(); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        ReplyTo("GET CALL 8 PARTNER_DISPNAME", "CALL 8 PARTNER_DISPNAME ");
        ReplyTo("GET CALL 9 PARTNER_DISPNAME", "CALL 9 PARTNER_DISPNAME Bob");
        // Call 7's name is asked and never answered.
        Notify("CALL 8 STATUS RINGING"); // the handle is asked and not yet answered
        ASSERT_EQ(Log().back(), "skype GET CALL 8 PARTNER_HANDLE");
        c.meanwhile();
        std::string before = g_app.dialBuffer.text;
        ClearLog();
        Notify("CALL 8 PARTNER_HANDLE +15551234567");
        if (c.shown) {
            EXPECT_SEQUENCE((Sequence{c.what, {LcdEntry(3, 1, 6, "+15551234567", 1)}}), Log());
        } else {
            EXPECT_TRUE(Log().empty());
            EXPECT_EQ(g_app.dialBuffer.text, before);
        }
    }
}

// A caller answered before their empty name came is still shown by their handle; a call
// whose caller was never asked (our own) shows nothing.
TEST_F(CallTracking, EmptyNameAfterAnsweringAsksTheHandleOfOurOwnCallNothing)
{
    Notify("CALL 8 STATUS RINGING");
    Notify("CALL 8 STATUS INPROGRESS");
    ClearLog();
    Notify("CALL 8 PARTNER_DISPNAME ");
    Notify("CALL 8 PARTNER_HANDLE +15551234567");
    EXPECT_SEQUENCE((Sequence{"late empty name", {kIdle, "skype GET CALL 8 PARTNER_HANDLE",
                                                  LcdEntry(3, 1, 6, "+15551234567", 1)}}),
                    Log());

    Fresh();
    Notify("CALL 12 STATUS ROUTING");
    Notify("CALL 12 STATUS RINGING"); // our own call: no name asked
    ClearLog();
    Notify("CALL 12 PARTNER_DISPNAME ");
    EXPECT_SEQUENCE((Sequence{"empty name of a placed call", {}}), Log());
}

// A handle reply is the handle and nothing else: never a name, never a status, never news
// of any call.
TEST_F(CallTracking, HandleReplyIsNeverANameOrAStatus)
{
    ReplyTo("GET CALL 8 PARTNER_DISPNAME", "CALL 8 PARTNER_DISPNAME Ann");
    Notify("CALL 8 STATUS RINGING");
    ClearLog();
    for (const char* text : {"CALL 8 PARTNER_HANDLE ann STATUS FINISHED",
                             "CALL 8 PARTNER_HANDLE ann PARTNER_DISPNAME Bob",
                             "CALL 9 PARTNER_HANDLE bob STATUS RINGING"}) {
        SCOPED_TRACE(text);
        Notify(text);
        EXPECT_TRUE(Log().empty());
        EXPECT_STREQ(g_app.dialBuffer.text, "Ann");
        EXPECT_EQ(g_app.ringingCallId, 8);
    }
}

// The asked handle is shown as it comes, the words in it included; the call rings on.
TEST_F(CallTracking, AskedHandleIsShownWhateverItHolds)
{
    ReplyTo("GET CALL 8 PARTNER_DISPNAME", "CALL 8 PARTNER_DISPNAME ");
    Notify("CALL 8 STATUS RINGING");
    ClearLog();
    Notify("CALL 8 PARTNER_HANDLE x PARTNER_DISPNAME y STATUS MISSED");
    const std::string shown = "x PARTNER_DISPNAME y STATUS MISSED";
    EXPECT_SEQUENCE((Sequence{"odd handle", {LcdEntry(3, 1, 6, shown.c_str(), 1)}}), Log());
    EXPECT_EQ(g_app.ringingCallId, 8);
}

TEST_F(CallTracking, DtmfGoesToTheCallInConversation)
{
    const struct {
        int placed;
        std::vector<int> active;
        int expected;
    } cases[] = {
        {12, {12}, 12}, {12, {8, 15}, 15}, {0, {8}, 8}, {12, {}, 12}, {0, {}, 0},
    };
    for (const auto& c : cases) {
        g_app.placedCallId = c.placed;
        g_app.activeCalls.Clear();
        for (int id : c.active)
            g_app.activeCalls.Add(id);
        EXPECT_EQ(DtmfCallId(), c.expected) << "placed " << c.placed;
    }
}

TEST_F(CallTracking, LostSkypeForgetsTrackedCallsOnly)
{
    ForgetCallsOfLostSkype();
    EXPECT_TRUE(Log().empty()); // nothing tracked: typed digits are kept

    Notify("CALL 8 STATUS RINGING");
    Notify("CALL 7 STATUS ROUTING");
    ClearLog();
    ForgetCallsOfLostSkype();
    EXPECT_SEQUENCE((Sequence{"reset", Join({{"ring 0"}, kOff, {kIdle}})}), Log());
    EXPECT_TRUE(g_app.placedCalls.IsEmpty());
    EXPECT_EQ(g_app.ringingCallId, 0);
    EXPECT_EQ(g_app.placedCallId, 0);
}
