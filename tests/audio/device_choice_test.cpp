// The choice of sound devices by name: key tones, and Skype's call audio.
#include <gtest/gtest.h>

#include <vector>

#include "audio/device_choice.h"

namespace {
struct DeviceCase {
    const char* name;
    std::vector<const char*> devices; // null: capabilities could not be read
    UINT expected;
};

TEST(ChooseToneDevice, FirstNameBeginningWithUsbElseZero)
{
    const DeviceCase cases[] = {
        {"second device is USB", {"PulseAudio", "USB Audio Device"}, 1},
        {"first USB wins", {"Speakers", "USB Audio Device", "USB Headset"}, 1},
        {"USB as first device", {"USB Audio Device", "Speakers"}, 0},
        {"bare USB prefix", {"Speakers", "Line", "USBX"}, 2},
        {"none USB", {"PulseAudio", "Speakers"}, 0},
        {"lower-case usb does not count", {"PulseAudio", "usb Audio Device"}, 0},
        {"mixed-case Usb does not count", {"PulseAudio", "Usb Audio Device"}, 0},
        {"USB inside the name does not count", {"PulseAudio", "My USB Phone"}, 0},
        {"name shorter than USB", {"US", "U", ""}, 0},
        {"unreadable devices skipped", {nullptr, nullptr, "USB Audio Device"}, 2},
        {"unreadable and no USB", {nullptr, "Speakers"}, 0},
        {"all unreadable", {nullptr, nullptr}, 0},
        {"no devices", {}, 0},
    };
    for (const DeviceCase& c : cases)
        EXPECT_EQ(ChooseToneDevice(c.devices.data(), UINT(c.devices.size())), c.expected) << c.name;
}

TEST(AudioDeviceChoice, PlaybackFirstUsbRecordingLastUsb)
{
    const struct {
        std::vector<const char*> names; // null: capabilities could not be read
        const char* playback;
        const char* recording;
    } cases[] = {
        {{"Speakers", "USB Headset"}, "USB Headset", "USB Headset"},
        {{"Speakers"}, "Speakers", "Speakers"},
        {{"USB Mic A", "Line In", "USB Mic B"}, "USB Mic A", "USB Mic B"},
        {{"usb mic", "Line In"}, "usb mic", "usb mic"},
        {{"", "Line In"}, "Line In", "Line In"},
        {{}, "", ""},
    };
    for (const auto& c : cases) {
        UINT count = UINT(c.names.size());
        EXPECT_STREQ(ChoosePlaybackDevice(c.names.data(), count), c.playback);
        EXPECT_STREQ(ChooseRecordingDevice(c.names.data(), count), c.recording);
    }
}

} // namespace
