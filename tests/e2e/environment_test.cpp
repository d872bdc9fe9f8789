// The test environment itself: the private PulseAudio's named devices as a Wine program sees
// them. (That a sound played on "USB Audio Device" reaches the recorded stream is shown by
// the tone playback tests.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/device_names.h"
#include "rig_devices.h"

namespace {
std::vector<std::string> Names(const DeviceNames& devices)
{
    std::vector<std::string> names;
    for (UINT i = 0; i < devices.count; ++i)
        names.push_back(devices.names[i] ? devices.names[i] : "(unreadable)");
    return names;
}

bool Has(const std::vector<std::string>& names, const char* name)
{
    for (const std::string& seen : names)
        if (seen == name)
            return true;
    return false;
}
} // namespace

TEST(Environment, PulseDevicesAreSeenByName)
{
    std::vector<std::string> outputs = Names(ReadWaveOutNames());
    std::vector<std::string> inputs = Names(ReadWaveInNames());
    EXPECT_TRUE(Has(outputs, "Speakers"));
    EXPECT_TRUE(Has(outputs, "USB Audio Device"));
    EXPECT_TRUE(Has(inputs, "Line In"));
    EXPECT_TRUE(Has(inputs, kRigAudioInName));
    // Like Windows: the sinks' monitors carry no "USB", so the handset's microphone is the
    // only USB recording device.
    for (const std::string& input : inputs)
        EXPECT_TRUE(input == kRigAudioInName || input.find("USB") == std::string::npos)
            << input;
}
