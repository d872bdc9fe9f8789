// Discovery and attach: both timings of the reply, every attach status, and what an
// attached or unattached client gets.
#include "sim_fixture.h"
#include "sequence.h"

namespace {
struct AttachCase {
    const char* name;
    const char* options;
    bool postedBroadcast;
    std::vector<unsigned> statuses; // the attach replies, in order
    bool insideBroadcast;
};

// Without --attach-status the client is one Skype knows: "pending" first, then attached.
const AttachCase kAttachCases[] = {
    {"sent_sync", "--no-greeting", false, {1, 0}, true},  // as the driver starts it, shown
    {"sent_posted", "--no-greeting --attach-timing posted --hidden", false, {1, 0}, false},
    {"posted_sync", "--no-greeting --hidden", true, {1, 0}, false},
    {"posted_posted", "--no-greeting --attach-timing posted --hidden", true, {1, 0}, false},
    {"pending", "--no-greeting --attach-status 1 --hidden", false, {1}, true},
    {"refused", "--no-greeting --attach-status 2 --hidden", false, {2}, true},
    {"not_available", "--no-greeting --attach-status 3 --hidden", false, {3}, true},
    {"api_available", "--no-greeting --attach-status 0x8001 --hidden", false, {0x8001}, true},
    {"attached_alone", "--no-greeting --attach-status 0 --hidden", false, {0}, true},
};

class AttachTest : public SkypeSimTest, public ::testing::WithParamInterface<AttachCase> {};
}  // namespace

TEST_P(AttachTest, RepliesWithItsApiWindowAndStatus)
{
    const AttachCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartSim(c.options));
    HWND api = control.ApiWindow();
    ASSERT_TRUE(IsWindow(api));
    EXPECT_FALSE(IsWindowVisible(api));

    ASSERT_TRUE(fake.Broadcast(c.postedBroadcast));
    if (!c.insideBroadcast) {
        EXPECT_TRUE(fake.Attaches().empty()) << "attach arrived inside the broadcast";
    }
    ASSERT_TRUE(PumpUntil([&] { return fake.Attaches().size() == c.statuses.size(); }, 5000));
    std::vector<std::string> expectedLog;
    for (size_t i = 0; i < c.statuses.size(); ++i) {
        const AttachSeen& seen = fake.Attaches()[i];
        EXPECT_EQ(seen.status, c.statuses[i]);
        // "Pending authorisation" comes without Skype's window.
        EXPECT_EQ(seen.apiWindow, c.statuses[i] == 1 ? nullptr : api);
        EXPECT_EQ(seen.insideBroadcast, c.insideBroadcast);
        expectedLog.push_back("attach " + AttachStatusText(c.statuses[i]) + " to " +
                              HwndText(fake.Window()));
    }
    EXPECT_EQ(SimLog(), expectedLog);

    // Only status 0 attaches: a client without access is told so, and nothing more.
    LRESULT result = 0;
    std::vector<std::string> replies = fake.CommandTo(api, "PING", &result);
    if (c.statuses.back() == 0) {
        EXPECT_EQ(control.AttachedClient(), fake.Window());
        EXPECT_EQ(replies, std::vector<std::string>{"PONG"});
        EXPECT_EQ(result, 1);
    } else {
        EXPECT_EQ(control.AttachedClient(), nullptr);
        EXPECT_EQ(replies, std::vector<std::string>{"ERROR 68"});
        EXPECT_EQ(result, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AttachTest, ::testing::ValuesIn(kAttachCases),
                         [](const ::testing::TestParamInfo<AttachCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(SkypeSimTest, PendingAuthorisationThenAllowedAttachesLater)
{
    ASSERT_NO_FATAL_FAILURE(StartSim("--no-greeting --attach-status 1 --hidden"));
    ASSERT_TRUE(fake.Broadcast(false));
    ASSERT_TRUE(PumpUntil([&] { return fake.Attaches().size() == 1; }, 5000));
    // The user allows the program in Skype: a second attach message, unprompted.
    ASSERT_TRUE(control.SendAttach(0));
    ASSERT_TRUE(PumpUntil([&] { return fake.Attaches().size() == 2; }, 5000));
    EXPECT_EQ(fake.Attaches()[1].status, 0u);
    EXPECT_EQ(fake.Command("PING"), std::vector<std::string>{"PONG"});
}

// A program not yet allowed: its question stays open until the user answers, and every
// discovery meanwhile opens another one.
TEST_F(SkypeSimTest, PermissionQuestionStaysOpenUntilAnswered)
{
    for (bool allow : {true, false}) {
        SCOPED_TRACE(allow ? "allowed" : "refused");
        FakeSkypeClient client;
        ChildProcess run = StartProcess(JoinPath(BinDir(), "skypesim.exe"),
                                        "--no-greeting --hidden --ask-permission", BinDir());
        ASSERT_TRUE(run);
        SkypeSimClient sim;
        ASSERT_TRUE(sim.Connect(run.pid, 10000));
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(client.Broadcast(false));
        ASSERT_TRUE(PumpUntil([&] { return client.Attaches().size() == 3; }, 5000));
        EXPECT_EQ(sim.QuestionsAsked(), 3);
        EXPECT_EQ(client.CommandTo(sim.ApiWindow(), "PING"), std::vector<std::string>{"ERROR 68"});
        ASSERT_TRUE(sim.AnswerQuestion(allow));
        ASSERT_TRUE(PumpUntil([&] { return client.Attaches().size() == 4; }, 5000));
        EXPECT_FALSE(sim.AnswerQuestion(allow)) << "no question is open any more";
        std::vector<unsigned> statuses;
        for (const AttachSeen& seen : client.Attaches())
            statuses.push_back(seen.status);
        EXPECT_EQ(statuses, (std::vector<unsigned>{1, 1, 1, allow ? 0u : 2u}));
        EXPECT_EQ(sim.AttachedClient(), allow ? client.Window() : nullptr);
        sim.QuitAndWait(5000);
        CloseHandle(run.process);
    }
}

// Remembered, a refusal answers later discoveries at once; forgotten, each asks again.
TEST_F(SkypeSimTest, RefusalIsRememberedOnRequest)
{
    for (bool remember : {true, false}) {
        SCOPED_TRACE(remember ? "remembered" : "forgotten");
        FakeSkypeClient client;
        std::string options = "--no-greeting --hidden --ask-permission";
        if (remember)
            options += " --remember-refusal";
        ChildProcess run = StartProcess(JoinPath(BinDir(), "skypesim.exe"), options, BinDir());
        ASSERT_TRUE(run);
        SkypeSimClient sim;
        ASSERT_TRUE(sim.Connect(run.pid, 10000));
        ASSERT_TRUE(client.Broadcast(false));
        ASSERT_TRUE(sim.AnswerQuestion(false));
        ASSERT_TRUE(PumpUntil([&] { return client.Attaches().size() == 2; }, 5000));
        ASSERT_TRUE(client.Broadcast(false));
        ASSERT_TRUE(PumpUntil([&] { return client.Attaches().size() == 3; }, 5000));
        EXPECT_EQ(client.Attaches()[2].status, remember ? 2u : 1u);
        EXPECT_EQ(sim.QuestionsAsked(), remember ? 1 : 2);
        sim.QuitAndWait(5000);
        CloseHandle(run.process);
    }
}

TEST_F(SkypeSimTest, GreetsAnAttachedClientWithItsState)
{
    ASSERT_NO_FATAL_FAILURE(StartSim("--no-duration --hidden"));
    ASSERT_TRUE(fake.Broadcast(false));
    ASSERT_TRUE(PumpUntil([&] { return fake.Received().size() == 3; }, 5000));
    EXPECT_SEQUENCE((Sequence{"greeting", {"CONNSTATUS ONLINE", "CURRENTUSERHANDLE simulator",
                                           "USERSTATUS ONLINE"}}),
                    fake.Received());
}

TEST_F(SkypeSimTest, ANewBroadcastMovesTheAttachmentToTheNewClient)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    FakeSkypeClient second;
    ASSERT_TRUE(second.Broadcast(false));
    ASSERT_TRUE(PumpUntil([&] { return second.ApiWindow() != nullptr; }, 5000));
    EXPECT_EQ(control.AttachedClient(), second.Window());

    // Notifications go to the attached client only.
    ASSERT_TRUE(control.Notify("USERSTATUS AWAY"));
    EXPECT_TRUE(second.WaitForText("USERSTATUS AWAY"));
    PumpFor(200);
    EXPECT_TRUE(fake.Received().empty());
    EXPECT_TRUE(fake.Command("PING").empty());
}
