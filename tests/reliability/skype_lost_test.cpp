// Skype lost at random moments: a call rings (sometimes answered, sometimes without the
// caller's name), then Skype's API window is destroyed without a word (at any moment, or
// while a PING to it is in flight) or Skype falls silent. The handset goes quiet within two
// keep-alive ticks of the loss being noticeable, nothing rings until a new Skype attaches,
// and the new one attaches and rings.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "rig.h"

namespace {
enum Loss { kVanish, kVanishDuringPing, kSilent };
const char* const kLossNames[] = {"vanish", "vanish-during-ping", "silent"};
// How many rounds of each kind; their order is shuffled by the seed.
const struct {
    Loss loss;
    int rounds;
} kLosses[] = {{kVanish, 8}, {kVanishDuringPing, 8}, {kSilent, 4}};

const DWORD kTickMs = 2000;
const int kPingsBeforeDrop = 5;
const DWORD kKeyYes = 50;

bool Ringing(const HandsetSimState& state)
{
    return state.ringing && state.inCall && state.light;
}

bool Answered(const HandsetSimState& state)
{
    return !state.ringing && state.inCall && state.light;
}

// A call from Skype that rings; with `answer`, answered from the handset.
void RingAndMaybeAnswer(Rig& rig, TestSkype& skype, int id, bool withholdName, bool answer)
{
    skype.WithholdNames(withholdName);
    size_t mark = skype.CommandCount();
    std::string call = "CALL " + std::to_string(id);
    LRESULT accepted = 0;
    ASSERT_TRUE(skype.Notify(call + " STATUS RINGING", &accepted));
    ASSERT_EQ(accepted, 1);
    ASSERT_TRUE(skype.WaitCommand("GET " + call + " PARTNER_DISPNAME", 5000, mark));
    ASSERT_TRUE(rig.WaitHandset(Ringing, 5000)) << "call " << id << " did not ring";
    if (!withholdName) {
        ASSERT_TRUE(PumpUntil(
            [&] { return rig.Handset().lcdText == "Caller " + std::to_string(id); }, 5000));
    }
    if (answer) {
        ASSERT_TRUE(HandsetSimKey(rig.driver.sim, kKeyYes));
        ASSERT_TRUE(skype.WaitCommand("SET " + call + " STATUS INPROGRESS", 5000, mark));
        ASSERT_TRUE(rig.WaitHandset(Answered, 5000)) << "call " << id << " was not answered";
    }
}
} // namespace

TEST_F(Reliability, SkypeLost)
{
    Figures figures("skype-lost", seed);
    std::vector<Loss> losses;
    for (const auto& kind : kLosses)
        losses.insert(losses.end(), size_t(kind.rounds), kind.loss);
    for (size_t n = losses.size(); n > 1; --n)
        std::swap(losses[n - 1], losses[random.Below(uint32_t(n))]);

    Rig rig;
    ASSERT_TRUE(rig.Start());
    std::vector<std::unique_ptr<TestSkype>> later; // every Skype after the first
    TestSkype* skype = &rig.skype;
    double worstQuietMs = 0;
    int survived = 0;
    // Reported however the scenario ends.
    struct Report {
        Figures& figures;
        int& survived;
        double& worst;
        size_t rounds;
        ~Report()
        {
            figures.Add("rounds", long(rounds));
            figures.Add("survived", survived);
            figures.AddMs("worst-loss-to-quiet", worst);
        }
    } report{figures, survived, worstQuietMs, losses.size()};

    for (size_t round = 0; round < losses.size(); ++round) {
        Loss loss = losses[round];
        SCOPED_TRACE("round " + std::to_string(round) + ", " + kLossNames[loss]);
        int id = 100 + int(round);
        ASSERT_NO_FATAL_FAILURE(
            RingAndMaybeAnswer(rig, *skype, id, random.Chance(33), random.Chance(50)));
        PumpFor(random.Below(1000));
        // A healthy Skype, answering every PING (after the send has returned), is never
        // dropped: the PINGs lost with earlier Skypes do not count against this one.
        ASSERT_TRUE(rig.Handset().skype) << "a healthy Skype was dropped";

        // The next Skype is already waiting, or comes only once the handset is quiet.
        auto next = std::make_unique<TestSkype>();
        bool nextEarly = random.Chance(50);
        if (nextEarly) {
            ASSERT_TRUE(next->Start());
        }

        long long noticeable = 0;
        switch (loss) {
        case kVanish:
            skype->Stop();
            noticeable = skype->GoneAt();
            break;
        case kVanishDuringPing:
            skype->VanishOnNextPing();
            ASSERT_TRUE(PumpUntil([&] { return skype->Gone(); }, kTickMs + 1000));
            noticeable = skype->GoneAt();
            break;
        case kSilent: {
            skype->FallSilentAfterNextPong();
            ASSERT_TRUE(PumpUntil([&] { return skype->Silent(); }, kTickMs + 1000));
            long long since = skype->SilentSince();
            // Noticeable with the fifth PING that gets no answer.
            ASSERT_TRUE(PumpUntil([&] {
                return skype->PingsAfter(since) >= unsigned(kPingsBeforeDrop) ||
                       !rig.Handset().skype;
            }, (kPingsBeforeDrop + 2) * kTickMs));
            std::vector<TestSkype::Command> commands = skype->Commands();
            unsigned pings = 0;
            for (const TestSkype::Command& command : commands)
                if (command.text == "PING" && command.qpc > since && ++pings == kPingsBeforeDrop)
                    noticeable = command.qpc;
            ASSERT_NE(noticeable, 0) << "dropped after " << pings << " unanswered PINGs";
            break;
        }
        }
        // Detached, or already attached to the waiting Skype (found by the broadcast sent
        // on the tick that noticed the loss).
        HandsetSimState state;
        ASSERT_TRUE(PumpUntil([&] {
            state = rig.Handset();
            return HandsetQuiet(state) &&
                   (!state.skype || next->Client() == rig.driver.window);
        }, 3 * kTickMs)) << "the handset stays busy: ringing " << state.ringing << ", in call "
                         << state.inCall << ", light " << state.light << ", text \""
                         << state.lcdText << "\", Skype " << state.skype;
        double quietMs = QpcMs(Qpc() - noticeable);
        worstQuietMs = std::max(worstQuietMs, quietMs);
        EXPECT_LE(quietMs, 2.0 * kTickMs + 100);
        if (loss == kSilent) {
            // Exactly five: fewer means PINGs lost with an earlier Skype were counted.
            EXPECT_EQ(skype->PingsAfter(skype->SilentSince()), unsigned(kPingsBeforeDrop));
            // The dropped Skype speaks again: it is not listened to.
            LRESULT answer = 1;
            const std::string again = "CALL " + std::to_string(id + 1000) + " STATUS RINGING";
            EXPECT_TRUE(SendCopyData(rig.driver.window, skype->Window(), again.c_str(),
                                     DWORD(again.size() + 1), &answer));
            EXPECT_EQ(answer, 0);
            skype->Stop();
        }

        // Nothing rings until the next Skype has attached.
        if (!nextEarly) {
            ASSERT_TRUE(next->Start());
        }
        bool rang = false;
        ASSERT_TRUE(PumpUntil([&] {
            HandsetSimState state = rig.Handset();
            rang = rang || state.ringing;
            return next->Client() == rig.driver.window && state.skype;
        }, 2 * kTickMs + 2000)) << "no new Skype attached";
        EXPECT_FALSE(rang);
        skype = next.get();
        later.push_back(std::move(next));
        ++survived;
    }
    // The last new Skype rings too.
    ASSERT_NO_FATAL_FAILURE(RingAndMaybeAnswer(rig, *skype, 4242, false, false));
    ASSERT_TRUE(skype->Notify("CALL 4242 STATUS MISSED"));
    EXPECT_TRUE(rig.WaitHandset(HandsetQuiet, 5000));
    EXPECT_EQ(rig.driver.Close(), 0u);
}
