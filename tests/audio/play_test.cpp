// Real playback of the key tones under Wine and the private PulseAudio: each tone reaches
// "USB Audio Device" whole, with its frequencies; the looping play; no sound server at all.
#include <gtest/gtest.h>

#include <cmath>

#include "audio/tones.h"
#include "audio/wave_out_player.h"
#include "capture.h"
#include "process.h"

namespace {

struct ToneCase {
    UINT id;
    DWORD samples;
    std::vector<double> frequencies; // the strongest ones, strongest first not required
};

const std::vector<ToneCase>& ToneCases()
{
    static const std::vector<ToneCase> cases = {
        {133, 1778, {941, 1336}}, {134, 1775, {697, 1209}}, {135, 1764, {697, 1336}},
        {136, 1771, {697, 1477}}, {137, 1785, {770, 1209}}, {138, 1775, {770, 1336}},
        {139, 1781, {770, 1477}}, {140, 1778, {852, 1209}}, {141, 1775, {852, 1336}},
        {142, 1782, {852, 1477}}, {144, 1771, {941, 1477}}, {146, 1785, {852, 10400}},
        {147, 1862, {417}},
    };
    return cases;
}

// Plays `play` and returns what reached the USB device: the capture from before the play
// until it has gone quiet again.
template <class Play>
std::vector<short> CaptureOf(Play play)
{
    long long before = CaptureSize();
    before -= before % 2;
    play();
    // The sink writes in real time, so the recording lags the play a little.
    std::vector<short> samples;
    WaitUntil(
        [&] {
            samples = ReadCapture(before);
            std::vector<short> span = SoundSpan(samples, 0);
            size_t quietAfter = 0;
            for (size_t i = samples.size(); i > 0 && samples[i - 1] == 0; --i)
                ++quietAfter;
            return !span.empty() && quietAfter >= kCaptureRate / 5;
        },
        5000);
    return samples;
}

class PlayTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(CapturePath().empty()) << "USB_CAPTURE is not set";
        ASSERT_GE(CaptureSize(), 0) << CapturePath();
    }
};

TEST_F(PlayTest, EveryKeyToneReachesTheUsbDeviceWholeWithItsFrequencies)
{
    for (const ToneCase& tone : ToneCases()) {
        SCOPED_TRACE(testing::Message() << "WAVE " << tone.id);
        std::vector<short> sound = SoundSpan(CaptureOf([&] { PlayTone(tone.id); }), 0);
        printf("WAVE %u: %u samples\n", tone.id, unsigned(sound.size()));
        EXPECT_NEAR(double(sound.size()), double(tone.samples), 4.0);
        std::vector<double> peaks = StrongestFrequencies(sound, int(tone.frequencies.size()));
        std::sort(peaks.begin(), peaks.end());
        ASSERT_EQ(peaks.size(), tone.frequencies.size());
        for (size_t i = 0; i < peaks.size(); ++i)
            EXPECT_NEAR(peaks[i], tone.frequencies[i], tone.frequencies[i] > 5000 ? 100 : 12);
    }
}

} // namespace
