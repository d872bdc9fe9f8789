// The audio device failing: the USB sound device (the rig's PulseAudio sink) disappears
// while a key's tone plays, or before the key comes. The key still completes within the
// tone's bounded wait, the driver stays responsive, and once the device is back the next
// tone is heard on it.
#include <gtest/gtest.h>

#include <algorithm>

#include "capture.h"
#include "rig.h"
#include "usb_sound_device.h"

namespace {
// Each moment twice, in an order the seed shuffles.
const int kRounds = 4;
// A tone is waited for its own length (about 80 ms) and one second more at most; a key also
// sends its press and release. Beyond this the driver counts as hung.
const double kMostKeyMs = 2000;

enum Moment { kWhilePlaying, kBeforeTheKey };
const char* const kMomentNames[] = {"while-playing", "before-the-key"};

// Queues digit `digit` and waits until the driver has shown it (the last step of a key,
// after its tone); the time that took, or -1.
double KeyMs(Rig& rig, int digit, long long from)
{
    size_t shown = rig.Handset().lcdText.size();
    if (!HandsetSimKey(rig.driver.sim, digit))
        return -1;
    if (!PumpUntil([&] { return rig.Handset().lcdText.size() > shown; }, 10000))
        return -1;
    return QpcMs(Qpc() - from);
}

bool LoudSamples(const std::vector<short>& samples)
{
    return !SoundSpan(samples, 1000).empty();
}
} // namespace

TEST_F(Reliability, AudioDeviceFails)
{
    Figures figures("audio-device", seed);
    ASSERT_FALSE(CapturePath().empty()) << "USB_CAPTURE is not set (run under scripts/env.sh)";
    Rig rig;
    ASSERT_TRUE(rig.Start());

    double worstKeyMs[2] = {0, 0};
    int heard = 0;
    bool unplugged = false;
    struct Replug {
        bool& unplugged;
        ~Replug()
        {
            if (unplugged)
                UsbSoundDevice("plug"); // leave the rig as it was, whatever happened
        }
    } replug{unplugged};

    Moment moments[kRounds] = {kWhilePlaying, kBeforeTheKey, kWhilePlaying, kBeforeTheKey};
    for (int n = kRounds; n > 1; --n)
        std::swap(moments[n - 1], moments[random.Below(uint32_t(n))]);
    for (int round = 0; round < kRounds; ++round) {
        Moment moment = moments[round];
        SCOPED_TRACE("round " + std::to_string(round) + ", " + kMomentNames[moment]);
        int digit = int(random.Below(10));
        long long from = 0;
        double keyMs = -1;
        if (moment == kBeforeTheKey) {
            ASSERT_TRUE(UsbSoundDevice("unplug"));
            unplugged = true;
            from = Qpc();
            keyMs = KeyMs(rig, digit, from);
        } else {
            // Unplugged once the tone has started: after the key's release reached Skype,
            // and a random part of the tone later.
            size_t mark = rig.skype.CommandCount();
            size_t shown = rig.Handset().lcdText.size();
            ASSERT_TRUE(HandsetSimKey(rig.driver.sim, digit));
            ASSERT_TRUE(rig.skype.WaitCommand("BTN_RELEASED " + std::to_string(digit), 5000,
                                              mark));
            PumpFor(random.Below(60));
            from = Qpc();
            ASSERT_TRUE(UsbSoundDevice("unplug"));
            unplugged = true;
            if (PumpUntil([&] { return rig.Handset().lcdText.size() > shown; }, 10000))
                keyMs = QpcMs(Qpc() - from);
        }
        ASSERT_GE(keyMs, 0) << "the key never completed";
        worstKeyMs[moment] = std::max(worstKeyMs[moment], keyMs);
        EXPECT_LE(keyMs, kMostKeyMs);
        EXPECT_TRUE(rig.Responsive(1000));
        // A second key while the device is still gone.
        double nextMs = KeyMs(rig, int(random.Below(10)), Qpc());
        ASSERT_GE(nextMs, 0) << "a key with the device gone never completed";
        worstKeyMs[kBeforeTheKey] = std::max(worstKeyMs[kBeforeTheKey], nextMs);
        EXPECT_LE(nextMs, kMostKeyMs);

        // Back again: the next tone reaches it.
        ASSERT_TRUE(UsbSoundDevice("plug"));
        unplugged = false;
        long long captured = CaptureSize();
        ASSERT_GE(KeyMs(rig, int(random.Below(10)), Qpc()), 0);
        bool loud = PumpUntil([&] { return LoudSamples(ReadCapture(captured)); }, 3000);
        EXPECT_TRUE(loud) << "the tone after the device came back was not heard";
        heard += loud;
    }
    figures.Add("rounds", kRounds);
    figures.AddMs("worst-key-unplugged-while-playing", worstKeyMs[kWhilePlaying]);
    figures.AddMs("worst-key-without-device", worstKeyMs[kBeforeTheKey]);
    figures.Add("heard-after-return", heard);
    EXPECT_EQ(rig.driver.Close(), 0u);
}
