// Discovery and attach: both timings of the reply, every attach status, and what an
// attached or unattached client gets.
#include "sim_fixture.h"
#include "sequence.h"

namespace {
struct AttachCase {
    const char* name;
    const char* options;
    bool postedBroadcast;
    unsigned status;
    bool insideBroadcast;
};

const AttachCase kAttachCases[] = {
    {"sent_sync", "--no-greeting", false, 0, true},  // as the driver starts it, shown
    {"sent_posted", "--no-greeting --attach-timing posted --hidden", false, 0, false},
    {"posted_sync", "--no-greeting --hidden", true, 0, false},
    {"posted_posted", "--no-greeting --attach-timing posted --hidden", true, 0, false},
    {"pending", "--no-greeting --attach-status 1 --hidden", false, 1, true},
    {"refused", "--no-greeting --attach-status 2 --hidden", false, 2, true},
    {"not_available", "--no-greeting --attach-status 3 --hidden", false, 3, true},
    {"api_available", "--no-greeting --attach-status 0x8001 --hidden", false, 0x8001, true},
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
    ASSERT_TRUE(PumpUntil([&] { return !fake.Attaches().empty(); }, 5000));
    ASSERT_EQ(fake.Attaches().size(), 1u);
    const AttachSeen& seen = fake.Attaches()[0];
    EXPECT_EQ(seen.status, c.status);
    EXPECT_EQ(seen.apiWindow, api);
    EXPECT_EQ(seen.insideBroadcast, c.insideBroadcast);
    EXPECT_EQ(SimLog(), std::vector<std::string>{"attach " + AttachStatusText(c.status) + " to " +
                                                 HwndText(fake.Window())});

    // Only status 0 attaches: everyone else's commands go unanswered.
    LRESULT result = 0;
    std::vector<std::string> replies = fake.CommandTo(api, "PING", &result);
    if (c.status == 0) {
        EXPECT_EQ(control.AttachedClient(), fake.Window());
        EXPECT_EQ(replies, std::vector<std::string>{"PONG"});
        EXPECT_EQ(result, 1);
    } else {
        EXPECT_EQ(control.AttachedClient(), nullptr);
        EXPECT_TRUE(replies.empty());
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
