// The choice of sound devices by name: key tones, and Skype's call audio.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "pure/device_choice.h"

namespace {
struct DeviceCase {
    const char* name;
    std::vector<const char*> devices; // null: capabilities could not be read
    uint32_t expected;
};

TEST(ChooseToneDevice, NameBeginningWithUsbElseContainingUsbElseZero)
{
    const DeviceCase cases[] = {
        // Windows XP: the driver's product name.
        {"second device is USB", {"PulseAudio", "USB Audio Device"}, 1},
        {"first USB wins", {"Speakers", "USB Audio Device", "USB Headset"}, 1},
        {"USB as first device", {"USB Audio Device", "Speakers"}, 0},
        {"bare USB prefix", {"Speakers", "Line", "USBX"}, 2},
        {"none USB", {"PulseAudio", "Speakers"}, 0},
        {"lower-case usb does not count", {"PulseAudio", "usb Audio Device"}, 0},
        {"mixed-case Usb does not count", {"PulseAudio", "Usb Audio Device"}, 0},
        {"name shorter than USB", {"US", "U", ""}, 0},
        {"unreadable devices skipped", {nullptr, nullptr, "USB Audio Device"}, 2},
        {"unreadable and no USB", {nullptr, "Speakers"}, 0},
        {"all unreadable", {nullptr, nullptr}, 0},
        {"no devices", {}, 0},
        // Vista and later: "<endpoint> (<product>)", cut to 31 characters.
        {"Vista name", {"Speakers (Realtek High Definiti", "Speakers (USB Audio Device)"}, 1},
        {"second of several", {"Speakers (Realtek High Definiti", "Speakers (2- USB Audio Device)"}, 1},
        {"cut at 31 characters",
         {"Speakers (High Definition Audio", "Headset Earphone (2- USB Audio "}, 1},
        {"a name beginning with USB wins over an earlier one containing it",
         {"Speakers (USB Audio Device)", "USB Audio Device"}, 1},
        {"first containing USB", {"Speakers", "Headset (USB Phone)", "Speakers (USB Audio Device)"}, 1},
        {"USB cut off the name does not count", {"Speakers", "Speakers (Some Long Vendor Name U"}, 0},
        {"lower-case inside does not count", {"Speakers", "Speakers (usb audio)"}, 0},
    };
    for (const DeviceCase& c : cases)
        EXPECT_EQ(ChooseToneDevice(c.devices.data(), uint32_t(c.devices.size())), c.expected) << c.name;
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
        uint32_t count = uint32_t(c.names.size());
        EXPECT_STREQ(ChoosePlaybackDevice(c.names.data(), count), c.playback);
        EXPECT_STREQ(ChooseRecordingDevice(c.names.data(), count), c.recording);
    }
}

} // namespace
