// Handset event storm: random key codes, hook and plug events through the simulator, in
// batches the driver can keep up with, while Skype reports random calls for a few ids.
// Run without a sound server (CTest sets PULSE_SERVER): no key plays a tone, so the storm
// is about events, not about waiting for tones to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "rig.h"

namespace {
const int kEvents = 10000;
const int kMostBatch = 80;
const DWORD kBatchTimeoutMs = 20000;

const int kKnownKeys[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 20, 21, 30, 40, 50, 60, 70, 80};
const char* const kStatuses[] = {"RINGING",  "INPROGRESS", "FINISHED", "MISSED", "REFUSED",
                                 "ROUTING",  "FAILED",     "UNPLACED", "ONHOLD", "BUSY"};

enum Kind { kKnownKey, kAnyCode, kHook, kPlug };
const std::vector<unsigned> kKindWeights = {30, 35, 15, 10};

HandsetSimEvent RandomEvent(Random& random)
{
    switch (Kind(random.Weighted(kKindWeights))) {
    case kKnownKey:
        return {false, random.Pick(kKnownKeys)};
    case kAnyCode:
        return {false, int(random.Below(256))};
    case kHook:
        return {false, random.Chance(50) ? 70 : 80};
    case kPlug:
        break;
    }
    return {true, random.Chance(60) ? 1 : 0};
}

std::string RandomNotification(Random& random)
{
    std::string call = "CALL " + std::to_string(1 + random.Below(4));
    if (random.Chance(20))
        return call + " PARTNER_DISPNAME " + std::string(random.SpreadLength(3000), 'n');
    return call + " STATUS " + random.Pick(kStatuses);
}

size_t CountStartingWith(const std::vector<TestSkype::Command>& commands, const char* prefix)
{
    size_t count = 0;
    for (const TestSkype::Command& command : commands)
        count += command.text.compare(0, strlen(prefix), prefix) == 0;
    return count;
}
} // namespace

TEST_F(Reliability, HandsetStorm)
{
    Figures figures("handset-storm", seed);
    Rig rig;
    ASSERT_TRUE(rig.Start());
    HandsetSimState before = rig.Handset();

    int queued = 0, batches = 0, notifications = 0;
    size_t plugsIn = 0;         // plug events with connected nonzero queued so far
    unsigned reported = 0;      // events the handset reports: an unplugged one reports no key
    bool plugged = true;
    size_t scanned = rig.skype.CommandCount();
    size_t toldDevices = 0;     // "SET AUDIO_IN" commands seen since the storm began
    DWORD slowestBatch = 0;
    DWORD start = GetTickCount();
    while (queued < kEvents) {
        // Every batch ends with the handset plugged in: with Skype attached that tells Skype
        // the audio devices, so Skype sees when the driver has worked through the batch.
        int size = std::min(kEvents - queued, random.Between(1, kMostBatch));
        std::vector<HandsetSimEvent> batch;
        for (int n = 0; n + 1 < size; ++n)
            batch.push_back(RandomEvent(random));
        batch.push_back({true, 1});
        for (const HandsetSimEvent& event : batch) {
            plugsIn += event.plug && event.value != 0;
            reported += event.plug || plugged;
            if (event.plug)
                plugged = event.value != 0;
        }
        DWORD batchStart = GetTickCount();
        ASSERT_TRUE(HandsetSimEvents(rig.driver.sim, batch)) << "batch " << batches;
        queued += size;
        ++batches;
        // Skype's reports come in the middle of the batch.
        for (int n = random.Between(0, 3); n > 0; --n, ++notifications)
            ASSERT_TRUE(rig.skype.Notify(RandomNotification(random)));
        ASSERT_TRUE(PumpUntil([&] {
            std::vector<TestSkype::Command> fresh = rig.skype.Commands(scanned);
            scanned += fresh.size();
            toldDevices += CountStartingWith(fresh, "SET AUDIO_IN");
            return toldDevices >= plugsIn;
        }, kBatchTimeoutMs)) << "the driver did not get through batch " << batches << " ("
                             << toldDevices << " of " << plugsIn << " plug-ins seen)";
        slowestBatch = std::max(slowestBatch, GetTickCount() - batchStart);
    }
    DWORD stormMs = GetTickCount() - start;
    figures.Add("events", queued);
    figures.Add("batches", batches);
    figures.Add("notifications", notifications);
    figures.AddMs("storm", stormMs);
    figures.Add("events-per-second", stormMs ? queued * 1000LL / stormMs : 0);
    figures.AddMs("slowest-batch", slowestBatch);

    // Alive, responsive and still attached: the next keep-alive PING comes.
    EXPECT_TRUE(rig.Responsive(1000));
    long long now = Qpc();
    EXPECT_TRUE(PumpUntil([&] { return rig.skype.PingsAfter(now) > 0; }, 3000));
    HandsetSimState after = rig.Handset();
    EXPECT_TRUE(after.skype);
    EXPECT_EQ(rig.skype.DiscoveriesAfterAttach(), 0u) << "the link was dropped";
    EXPECT_EQ(after.eventsDelivered - before.eventsDelivered, reported);
    EXPECT_EQ(after.eventsDropped, before.eventsDropped);
    EXPECT_LE(after.lcdLongest, 999u);
    figures.Add("longest-lcd", static_cast<long long>(after.lcdLongest));
    EXPECT_TRUE(NoStackFaults(after, figures));
    EXPECT_EQ(rig.driver.Close(), 0u);
}
