// The key tones through the recording waveOut fakes: which WAVE each key plays, at once; the
// tone device held from tone to tone, closed after the quiet time by the seam's clock, and
// opened anew where a device change or a failure calls for it.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include "audio/tone_device.h"
#include "audio/tones.h"
#include "core/app_state.h"
#include "event_log.h"
#include "fake_audio_devices.h"
#include "fake_input.h"
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
    void TearDown() override
    {
        CloseToneDevice();
        FakeAudioDevicesReal();
    }
};

const std::vector<std::string> kUsbSecond = {"PulseAudio", "USB Audio Device", "Speakers"};
const std::vector<std::string> kUsbThird = {"PulseAudio", "Speakers", "USB Audio Device"};
const std::vector<std::string> kInputs = {"PulseAudio", "Line In"};

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

TEST_F(FakeToneTest, TheDeviceIsHeldFromToneToToneAndClosedOnlyAfterTheQuietTime)
{
    int opens = FakeWaveOutOpens();
    PlayTone(147);
    FakeClockAdvance(kToneQuietMs - 1);
    CloseToneDeviceWhenQuiet();
    PlayKeyToneByIndex(1); // still within the quiet time: the same device
    EXPECT_EQ(FakeWaveOutOpens(), opens + 1);
    EXPECT_EQ(FakeWaveOutOpenDevices(), 1);

    // The quiet time counts from the last tone.
    FakeClockAdvance(kToneQuietMs - 1);
    CloseToneDeviceWhenQuiet();
    EXPECT_TRUE(ToneDeviceOpen());
    FakeClockAdvance(1);
    CloseToneDeviceWhenQuiet();
    EXPECT_FALSE(ToneDeviceOpen());
    EXPECT_EQ(FakeWaveOutOpenDevices(), 0);

    PlayKeyToneByIndex(2); // the first tone after a quiet time opens it again
    EXPECT_EQ(FakeWaveOutOpens(), opens + 2);
    EXPECT_SEQUENCE((Sequence{"three tones", {"tone 147", "tone 134", "tone 135"}}),
                    SharedLog().Snapshot());
}

TEST_F(FakeToneTest, AToneAfterADeviceChangeGoesToTheNewToneDevice)
{
    FakeAudioDevices(kUsbSecond, kInputs);
    PlayTone(147);
    EXPECT_EQ(FakeWaveOutLastOpenedDevice(), 1u);
    // Another device arrives before the USB one: the held device is no longer the one.
    FakeAudioDevices(kUsbThird, kInputs);
    int opens = FakeWaveOutOpens();
    PlayTone(147);
    EXPECT_EQ(FakeWaveOutOpens(), opens + 1);
    EXPECT_EQ(FakeWaveOutLastOpenedDevice(), 2u);
    EXPECT_EQ(FakeWaveOutOpenDevices(), 1);
}

TEST_F(FakeToneTest, ADeviceWhoseSinkWentAwayIsOpenedAgainWithoutWaitingForIt)
{
    // The sink goes away under the held device and comes back: Wine's device is dead for
    // good. The next tone finds that out before it is written and opens the device anew.
    PlayTone(147);
    Sleep(300); // past the silence that follows a tone
    FakeWaveOutUnplug();
    DWORD start = GetTickCount();
    PlayTone(147); // while it is gone the open fails at once
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_FALSE(ToneDeviceOpen());
    EXPECT_EQ(FakeWaveOutOpenDevices(), 0);

    FakeWaveOutPlug();
    PlayTone(147);
    Sleep(300);
    FakeWaveOutUnplug();
    FakeWaveOutPlug();
    int opens = FakeWaveOutOpens();
    start = GetTickCount();
    PlayTone(147);
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_EQ(FakeWaveOutOpens(), opens + 1);
    EXPECT_EQ(FakeWaveOutOpenDevices(), 1);
    EXPECT_SEQUENCE((Sequence{"the tones that reached a device",
                              {"tone 147", "tone 147", "tone 147"}}),
                    SharedLog().Snapshot());
}

TEST_F(FakeToneTest, ADeviceThatStopsReportingIsClosedAndTheNextToneOpensAgain)
{
    // Dropped right after a tone, the device is not asked: that tone costs its bounded wait,
    // once, and the device is closed.
    PlayTone(147);
    FakeWaveOutUnplug();
    FakeWaveOutPlug();
    DWORD start = GetTickCount();
    PlayTone(147);
    EXPECT_GE(GetTickCount() - start, 1000u);
    EXPECT_FALSE(ToneDeviceOpen());
    EXPECT_EQ(FakeWaveOutOpenDevices(), 0);
    int opens = FakeWaveOutOpens();
    start = GetTickCount();
    PlayTone(147);
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_EQ(FakeWaveOutOpens(), opens + 1);
    EXPECT_TRUE(ToneDeviceOpen());
}

} // namespace
