// Real playback of the key tones under Wine and the private PulseAudio: each tone reaches
// "USB Audio Device" whole, with its frequencies; the looping play. Run once for each mode of
// the rig's USB sink (USBPHONE_PLAY_RIG_MODE: running, idle, long-latency; scripts/env.sh).
// (No sound server at all: no_device_tone.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/device_choice.h"
#include "audio/tone_device.h"
#include "audio/tones.h"
#include "audio/wave_out_player.h"
#include "bare_play.h"
#include "capture.h"
#include "process.h"
#include "usb_sound_device.h"

namespace {

// The sink's mode for this run, empty when the run leaves it as it is.
std::string RigMode()
{
    const char* mode = getenv("USBPHONE_PLAY_RIG_MODE");
    return mode ? mode : "";
}

// Switches the sink to the run's mode first, and back to the rig's own at the end.
class RigModeEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        if (!RigMode().empty()) {
            ASSERT_TRUE(UsbSoundDevice(("mode-" + RigMode()).c_str())) << RigMode();
        }
        printf("rig: the USB sink runs in mode %s\n",
               RigMode().empty() ? "(as the run left it)" : RigMode().c_str());
    }
    void TearDown() override
    {
        if (!RigMode().empty()) {
            EXPECT_TRUE(UsbSoundDevice("mode-initial"));
        }
    }
};
const testing::Environment* const kRigModeEnvironment =
    testing::AddGlobalTestEnvironment(new RigModeEnvironment);

struct ToneCase {
    UINT id;
    std::vector<double> frequencies; // the strongest ones, in increasing order
};

const ToneCase kTones[] = {
    {133, {941, 1336}}, {134, {697, 1209}}, {135, {697, 1336}}, {136, {697, 1477}},
    {137, {770, 1209}}, {138, {770, 1336}}, {139, {770, 1477}}, {140, {852, 1209}},
    {141, {852, 1336}}, {142, {852, 1477}}, {144, {941, 1477}}, {146, {852, 10400}},
    {147, {417}},
};

// The sound data of WAVE `id` of this program, as samples.
std::vector<short> ToneSamples(UINT id)
{
    const WAVEFORMATEX* format;
    const BYTE* samples;
    DWORD bytes;
    if (!FindTone(id, &format, &samples, &bytes))
        return std::vector<short>();
    const short* first = reinterpret_cast<const short*>(samples);
    return std::vector<short>(first, first + bytes / 2);
}

// WAVE `id` played with nothing of the player (see bare_play.h), followed by `silenceMs` of
// silence: what the rig does to a stream shows here on its own.
void BarePlay(UINT id, DWORD silenceMs)
{
    const WAVEFORMATEX* format;
    const BYTE* samples;
    DWORD bytes;
    ASSERT_TRUE(FindTone(id, &format, &samples, &bytes));
    bool done = false;
    ASSERT_TRUE(PlayBare(FindToneDevice(), format, samples, bytes, silenceMs, &done));
    EXPECT_TRUE(done);
}

// Runs `play` and returns what reached the USB device from then until it has gone quiet:
// the sound from its first to its last non-zero sample, without gaps of silence inside
// (or, with `spanOnly` false, the whole recording).
template <class Play>
std::vector<short> Recorded(Play play, bool spanOnly = true)
{
    long long before = CaptureSize();
    before -= before % 2;
    play();
    // The sink writes in real time, so the recording lags the play a little.
    std::vector<short> samples;
    WaitUntil(
        [&] {
            samples = ReadCapture(before);
            size_t quietAfter = 0;
            for (size_t i = samples.size(); i > 0 && samples[i - 1] == 0; --i)
                ++quietAfter;
            return quietAfter < samples.size() && quietAfter >= kCaptureRate / 5;
        },
        5000);
    // Wine's feed to PulseAudio runs dry now and then on a busy machine: the sink then
    // inserts a few milliseconds of silence. Those are not part of the tone.
    return spanOnly ? WithoutGaps(SoundSpan(samples, 0), 20) : samples;
}

class PlayTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(CapturePath().empty()) << "USB_CAPTURE is not set";
        ASSERT_GE(CaptureSize(), 0) << CapturePath();
    }
};

// Follows `tone` through `recording` from `*at` on. The first sound there must be the
// tone's first sound; from then on the recording must be the tone's own samples in order,
// but for runs of zeros where the sound server's feed ran dry for a moment (it then inserts
// silence and goes on where it was). Returns how many of the tone's samples were heard in
// order, the rest being lost at the tail, and moves `*at` past them; 0 when the recording
// does not go on with the tone.
size_t FollowTone(const std::vector<short>& recording, size_t* at, const std::vector<short>& tone)
{
    size_t heardAt = *at, toneAt = 0;
    while (heardAt < recording.size() && recording[heardAt] == 0)
        ++heardAt;
    while (toneAt < tone.size() && tone[toneAt] == 0)
        ++toneAt;
    if (heardAt == recording.size() || toneAt == tone.size() ||
        recording[heardAt] != tone[toneAt])
        return 0;
    while (toneAt < tone.size() && heardAt < recording.size()) {
        if (recording[heardAt] == tone[toneAt])
            ++toneAt;
        else if (recording[heardAt] != 0)
            break;
        ++heardAt;
    }
    *at = heardAt;
    return toneAt;
}

// A tone may end short by at most one of the 10 ms periods in which Wine feeds the sound
// server, on every machine.
const size_t kOnePeriod = kCaptureRate / 100 + 1;

TEST_F(PlayTest, TheRigPlaysABareToneWholeWhenItsStreamIsFedUntilItPlayedOut)
{
    // The rig's own check, with nothing of the player. A stream that goes on with silence
    // until its sound has surely played out, and only then is closed, must be recorded whole
    // and in order after a silence, in every mode of the sink: else the rig, not the player,
    // loses sound. The bare play that closes as soon as its sound is reported done is the
    // fault the player must not have: on an idle sink or one at a long latency it loses the
    // tone's end, or all of it (printed; in long-latency mode, which is there to show it, it
    // must).
    const DWORD kPlayedOutMs = 300; // well beyond any latency of the rig
    const std::vector<short> expected = ToneSamples(135);
    size_t worstCut = 0;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        std::vector<short> recording = Recorded([&] { BarePlay(135, kPlayedOutMs); }, false);
        size_t at = 0;
        size_t heard = FollowTone(recording, &at, expected);
        ASSERT_GT(heard, 0u) << "the recording does not begin with the tone";
        EXPECT_GE(heard + kOnePeriod, expected.size()) << "the rig cut the tone short";

        // Nothing at all may be heard of it: Recorded then gives up after its bounded wait.
        recording = Recorded([&] { BarePlay(135, 0); }, false);
        at = 0;
        heard = FollowTone(recording, &at, expected);
        worstCut = std::max(worstCut, expected.size() - heard);
    }
    printf("rig: a bare play closed when reported done lost up to %.1f ms of the tone\n",
           worstCut * 1000.0 / kCaptureRate);
    if (RigMode() == "long-latency") {
        EXPECT_GT(worstCut, kOnePeriod) << "the long latency does not show the fault";
    }
}

TEST_F(PlayTest, EveryKeyToneReachesTheUsbDeviceWholeWithItsFrequencies)
{
    // Ten rounds of every tone, back to back as keys would be, the first one after a silence.
    // In every round each tone must be heard from its first sample on, whole (within one
    // period) and nothing but its own samples.
    const int kRounds = 10;
    const size_t toneCount = sizeof kTones / sizeof kTones[0];
    std::vector<size_t> worstLoss(toneCount, 0);
    for (int round = 0; round < kRounds; ++round) {
        std::vector<short> recording = Recorded([&] {
            for (const ToneCase& tone : kTones) {
                PlayTone(tone.id);
                Sleep(50);
            }
        }, false);
        // As at the end of a quiet time: the next round opens the device again.
        CloseToneDevice();
        size_t at = 0;
        for (const ToneCase& tone : kTones) {
            SCOPED_TRACE(testing::Message() << "WAVE " << tone.id << ", round " << round);
            std::vector<short> expected = ToneSamples(tone.id);
            size_t toneStart = at;
            size_t heard = FollowTone(recording, &at, expected);
            ASSERT_GT(heard, 0u) << "the recording does not go on with this tone's first sound";
            size_t& worst = worstLoss[size_t(&tone - kTones)];
            worst = std::max(worst, expected.size() - heard);
            EXPECT_GE(heard + kOnePeriod, expected.size()) << "the tone was cut short";
            if (round > 0)
                continue;
            std::vector<short> sound = WithoutGaps(
                SoundSpan(std::vector<short>(recording.begin() + toneStart,
                                             recording.begin() + at), 0), 20);
            std::vector<double> peaks = StrongestFrequencies(sound, int(tone.frequencies.size()));
            std::sort(peaks.begin(), peaks.end());
            ASSERT_EQ(peaks.size(), tone.frequencies.size());
            for (size_t i = 0; i < peaks.size(); ++i) {
                double tolerance = tone.frequencies[i] > 5000 ? 150 : 10;
                EXPECT_NEAR(peaks[i], tone.frequencies[i], tolerance);
            }
        }
        EXPECT_TRUE(SoundSpan(std::vector<short>(recording.begin() + at, recording.end()), 0)
                        .empty())
            << "round " << round << ": something was heard after the last tone";
    }
    // The figures: each tone's worst tail lost over the rounds played.
    printf("tones (sink %s): worst tail lost in %d rounds (allowed %.1f ms), ms:",
           RigMode().empty() ? "as left" : RigMode().c_str(), kRounds,
           kOnePeriod * 1000.0 / kCaptureRate);
    for (size_t i = 0; i < toneCount; ++i)
        printf(" %u:%.1f", kTones[i].id, worstLoss[i] * 1000.0 / kCaptureRate);
    printf("\n");
}

// A player whose worker thread the test can watch after the player has let it go.
class WatchedPlayer : public WaveOutPlayer {
public:
    HANDLE DuplicateThread() const
    {
        HANDLE copy = nullptr;
        DuplicateHandle(GetCurrentProcess(), threadHandle, GetCurrentProcess(), &copy, 0,
                        FALSE, DUPLICATE_SAME_ACCESS);
        return copy;
    }
};

TEST_F(PlayTest, LoopingPlayRepeatsUntilStopAndEndsWithZero)
{
    const size_t toneSamples = ToneSamples(138).size();
    HANDLE worker = nullptr;
    std::vector<short> heard = Recorded([&] {
        WatchedPlayer player;
        ASSERT_TRUE(player.Load(138));
        EXPECT_EQ(player.Play(true), 0);
        EXPECT_TRUE(player.IsRunning()); // returned at once: the worker plays
        worker = player.DuplicateThread();
        EXPECT_EQ(player.Play(true), 1);
        EXPECT_EQ(player.Play(false), 1);
        Sleep(600); // several tone lengths
        EXPECT_TRUE(player.IsRunning());
        player.Stop();
        EXPECT_FALSE(player.IsRunning());
    });
    ASSERT_NE(worker, nullptr);
    EXPECT_EQ(WaitForSingleObject(worker, 0), WAIT_OBJECT_0);
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeThread(worker, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(worker);
    // The tone went round and round, and stopped when asked.
    EXPECT_GE(heard.size(), 4 * toneSamples);
    EXPECT_LT(heard.size(), size_t(kCaptureRate)); // well under the second it was not asked for
}

TEST_F(PlayTest, StopRightAfterLoopingPlayDoesNotHang)
{
    // Stop may come before the worker has even reached its wait.
    for (int i = 0; i < 5; ++i) {
        WatchedPlayer player;
        ASSERT_TRUE(player.Load(147));
        EXPECT_EQ(player.Play(true), 0);
        HANDLE worker = player.DuplicateThread();
        player.Stop();
        EXPECT_EQ(WaitForSingleObject(worker, 0), WAIT_OBJECT_0);
        CloseHandle(worker);
    }
}

} // namespace
