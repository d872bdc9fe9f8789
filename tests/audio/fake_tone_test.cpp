// The key tones through the recording waveOut fakes: which WAVE each key plays, at once.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include "audio/tones.h"
#include "core/app_state.h"
#include "event_log.h"
#include "fake_wave_out.h"
#include "sequence.h"

namespace {

class FakeToneTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetAppState();
        SharedLog().Clear();
        // The player still asks the real driver how many devices there are.
        ASSERT_GT(waveOutGetNumDevs(), 0u) << "no waveOut device: is PulseAudio running?";
    }
};

TEST_F(FakeToneTest, KeyFiveLogsItsToneWithoutWaitingForTheDriver)
{
    DWORD start = GetTickCount();
    PlayKeyToneByIndex(5);
    // The fake's write ends the player's wait; without that signal the player would sit out
    // its whole bounded wait (the tone's length plus a second).
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_SEQUENCE((Sequence{"key 5", {"tone 138"}}), SharedLog().Snapshot());
}

TEST_F(FakeToneTest, EveryKeyIndexPlaysItsTableEntry)
{
    for (int index = 0; index < kKeyToneCount; ++index)
        PlayKeyToneByIndex(index);
    PlayTone(147);
    PlayKeyToneByIndex(-1); // outside the table: nothing
    PlayKeyToneByIndex(12);
    PlayTone(143);          // no such resource: nothing
    EXPECT_SEQUENCE((Sequence{"keys 0-9, *, #, then the navigation tone",
                              {"tone 133", "tone 134", "tone 135", "tone 136", "tone 137",
                               "tone 138", "tone 139", "tone 140", "tone 141", "tone 142",
                               "tone 146", "tone 144", "tone 147"}}),
                    SharedLog().Snapshot());
}

TEST_F(FakeToneTest, SilentDriverCostsTheToneAndTheGraceAndTheDeviceIsClosed)
{
    // WAVE 147, the navigation tone: 80 ms of sound. The wait ends at the tone's length plus
    // a second of grace, never later, and the device is closed all the same.
    FakeWaveOutSetSilentDriver(true);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    PlayTone(147);
    QueryPerformanceCounter(&end);
    FakeWaveOutSetSilentDriver(false);
    double ms = double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
    EXPECT_GE(ms, 1000.0);
    EXPECT_LT(ms, 1000.0 + 80.0 + 400.0); // the tone, the grace, and slack for a busy machine
    EXPECT_EQ(FakeWaveOutOpenDevices(), 0);
    EXPECT_SEQUENCE((Sequence{"played once", {"tone 147"}}), SharedLog().Snapshot());
}

} // namespace
