// Calls found at attach: Skype's answers to "SEARCH ACTIVECALLS" and to the questions about
// each call, against handset calls, commands and state.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_fixture.h"
#include "core/app_state.h"
#include "skype/call_search.h"

namespace {
const std::vector<std::string> kOn = {LcdEntry(1, 1, 0, nullptr, 0), "light 1"};

std::vector<std::string> Then(std::vector<std::string> first, const std::vector<std::string>& more)
{
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

class CallSearch : public AppFixture {
protected:
    void Prepare() override
    {
        Attach();
        SearchSkypeCalls();
        ClearLog();
    }
    // Skype answers the question about call 5's `property` inside its send.
    void Answers(const char* property, const std::string& value)
    {
        ReplyTo(std::string("GET CALL 5 ") + property,
                std::string("CALL 5 ") + property + " " + value);
    }
};
} // namespace

// Answers given inside the questions' sends: what each call found becomes.
TEST_F(CallSearch, EachCallFoundIsTakenAsItsNotificationsWouldHaveBeen)
{
    const std::vector<std::string> asked = {"skype GET CALL 5 STATUS", "skype GET CALL 5 TYPE"};
    const struct {
        const char* what;
        const char* status;
        const char* type;
        std::vector<std::string> calls;
        const char* setsAfter; // P placed, A active, - neither
        int ringingAfter;
    } rows[] = {
        {"in conversation", "INPROGRESS", "INCOMING_P2P",
         Then({"skype GET CALL 5 STATUS"},
              Then(kOn, {"ring 0", "skype GET CALL 5 PARTNER_DISPNAME", "skype GET CALL 5 TYPE"})),
         "A", 0},
        {"on hold", "ONHOLD", "OUTGOING_PSTN",
         Then({"skype GET CALL 5 STATUS"},
              Then(kOn, {"ring 0", "skype GET CALL 5 PARTNER_DISPNAME", "skype GET CALL 5 TYPE"})),
         "A", 0},
        {"ringing here", "RINGING", "INCOMING_PSTN",
         Then(asked, Then(kOn, {"ring 1", "skype GET CALL 5 PARTNER_DISPNAME"})), "-", 5},
        {"ours, ringing at the far end", "RINGING", "OUTGOING_P2P", Then(asked, kOn), "P", 5},
        {"ours, routing", "ROUTING", "OUTGOING_P2P", asked, "P", 0},
        {"ended by now", "FINISHED", "INCOMING_P2P", asked, "-", 0},
        {"a status not known here", "EARLYMEDIA", "OUTGOING_PSTN", asked, "-", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Fresh();
        Answers("STATUS", row.status);
        Answers("TYPE", row.type);
        Notify("CALLS 5");
        EXPECT_SEQUENCE((Sequence{row.what, row.calls}), Log());
        std::string sets = std::string(g_app.placedCalls.Contains(5) ? "P" : "") +
                           (g_app.activeCalls.Contains(5) ? "A" : "");
        EXPECT_EQ(sets.empty() ? "-" : sets, row.setsAfter);
        EXPECT_EQ(g_app.ringingCallId, row.ringingAfter);
    }
}

TEST_F(CallSearch, EachIdOfTheListIsAskedAboutOnceUpToTheLimit)
{
    std::string list = "CALLS 1";
    for (int id = 2; id <= kMaxActiveCallsAsked + 2; ++id)
        list += ", " + std::to_string(id);
    Notify(list.c_str());
    std::vector<std::string> asked;
    for (int id = 1; id <= kMaxActiveCallsAsked; ++id) {
        asked.push_back("skype GET CALL " + std::to_string(id) + " STATUS");
        asked.push_back("skype GET CALL " + std::to_string(id) + " TYPE");
    }
    EXPECT_SEQUENCE((Sequence{"a long list", asked}), Log());

    // Not asked for (again): a list nobody awaits changes nothing.
    ClearLog();
    Notify("CALLS 40");
    EXPECT_SEQUENCE((Sequence{"unasked", {}}), Log());
}

TEST_F(CallSearch, NoCallsOrAnErrorAskNothing)
{
    for (const char* reply : {"CALLS ", "ERROR 2 Unknown command", "CALLS x"}) {
        SCOPED_TRACE(reply);
        Fresh();
        Notify(reply);
        EXPECT_SEQUENCE((Sequence{reply, {}}), Log());
    }
}

// Answers that come late, after news of the call: an ending reported first wins, and a late
// RINGING does not make a conversation ring (nor refuse it as a second call).
TEST_F(CallSearch, LateAnswersDoNotUndoWhatCameFirst)
{
    const struct {
        const char* what;
        std::vector<const char*> texts;
        std::vector<std::string> calls;
        bool inCall;
    } cases[] = {
        {"missed before the answers",
         {"CALL 5 STATUS MISSED", "CALL 5 STATUS RINGING", "CALL 5 TYPE INCOMING_P2P"}, {}, false},
        {"answered before the answers",
         {"CALL 5 STATUS INPROGRESS", "CALL 5 STATUS RINGING", "CALL 5 TYPE INCOMING_P2P"},
         Then(kOn, {"ring 0", "skype GET CALL 5 PARTNER_DISPNAME"}), true},
        {"the type before the status",
         {"CALL 5 TYPE INCOMING_P2P", "CALL 5 STATUS RINGING"},
         Then(kOn, {"ring 1", "skype GET CALL 5 PARTNER_DISPNAME"}), true},
        {"rang, then answered while its type was awaited",
         {"CALL 5 STATUS RINGING", "CALL 5 STATUS INPROGRESS", "CALL 5 TYPE INCOMING_P2P"},
         Then(kOn, {"ring 0", "skype GET CALL 5 PARTNER_DISPNAME"}), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        Notify("CALLS 5");
        ClearLog();
        for (const char* text : c.texts)
            Notify(text);
        EXPECT_SEQUENCE((Sequence{c.what, c.calls}), Log());
        EXPECT_EQ(g_app.inCall, c.inCall ? 1 : 0);
    }
}

// Notifications Skype had queued before it answered the questions come after the answers:
// a call placed in Skype as the link came up is found ringing, then reported from its start
// (UNPLACED, ROUTING, RINGING). What stands at the end is the status Skype reported last.
TEST_F(CallSearch, NotificationsQueuedBeforeTheAnswersComeAfterThem)
{
    Answers("STATUS", "RINGING");
    Answers("TYPE", "OUTGOING_PSTN");
    Notify("CALLS 5");
    for (const char* word : {"UNPLACED", "ROUTING", "ROUTING", "RINGING", "RINGING"})
        Notify(("CALL 5 STATUS " + std::string(word)).c_str());
    EXPECT_EQ(g_app.inCall, 1);
    EXPECT_TRUE(g_app.placedCalls.Contains(5));
    EXPECT_FALSE(g_app.ringerOn);
}

// The handset went down while Skype did not answer: the conversation found is ended; a call
// that rings is not.
TEST_F(CallSearch, HandsetPutDownWhileSkypeWasSilentEndsTheConversationsFound)
{
    g_app.hungUpWhileSilent = true;
    Answers("STATUS", "INPROGRESS");
    ReplyTo("GET CALL 6 STATUS", "CALL 6 STATUS RINGING");
    ReplyTo("GET CALL 6 TYPE", "CALL 6 TYPE INCOMING_P2P");
    Notify("CALLS 5, 6");
    EXPECT_EQ(Filter(Log(), "skype SET "),
              (std::vector<std::string>{"skype SET CALL 5 STATUS FINISHED",
                                        // the ringing one is refused as a second call
                                        "skype SET CALL 6 STATUS FINISHED"}));
    EXPECT_FALSE(g_app.hungUpWhileSilent); // honoured once

    Fresh();
    Answers("STATUS", "INPROGRESS");
    Notify("CALLS 5");
    EXPECT_TRUE(Filter(Log(), "skype SET ").empty()); // the handset stayed up
}
