// Skype told again which sound devices to use when devices come and go while it is attached:
// the USB sound device of a handset arrives after the handset's plug event, or leaves.
#include <gtest/gtest.h>
#include <windows.h>
#include <dbt.h>

#include "app/app_state.h"
#include "app/reactions.h"
#include "app/tray_icon.h"
#include "app_fixture.h"
#include "fake_audio_devices.h"

namespace {
const std::vector<std::string> kPcOutputs = {"PulseAudio", "Speakers"};
const std::vector<std::string> kPcInputs = {"PulseAudio", "Line In"};
const std::vector<std::string> kWithUsbOutputs = {"PulseAudio", "Speakers", "USB Audio Device"};
const std::vector<std::string> kWithUsbInputs = {"PulseAudio", "Line In", "USB Audio Device"};
const std::vector<std::string> kToPc = {"skype SET AUDIO_OUT PulseAudio",
                                        "skype SET AUDIO_IN PulseAudio"};
const std::vector<std::string> kToUsb = {"skype SET AUDIO_OUT USB Audio Device",
                                         "skype SET AUDIO_IN USB Audio Device"};

class SoundDevices : public AppFixture {
protected:
    void Prepare() override
    {
        g_trayIcon.SetOwner(GetModuleHandleA(nullptr), ownWindow, 104);
        FakeAudioDevices(kPcOutputs, kPcInputs);
    }
    // Skype attaches while the handset is plugged in but its sound device is not there yet.
    void AttachWithoutTheUsbSoundDevice()
    {
        OnSkypeAttachReply(WPARAM(fakeSkype), 0);
        ClearLog();
    }
    // A burst of device-change messages, as Windows sends them, then time to settle.
    void Burst(WPARAM event, int count)
    {
        for (int i = 0; i < count; ++i)
            SendMessageA(ownWindow, WM_DEVICECHANGE, event, 0);
        PumpFor(800);
    }
    std::vector<std::string> SkypeCommands()
    {
        std::vector<std::string> commands;
        for (const std::string& entry : Log())
            if (entry.compare(0, 6, "skype ") == 0)
                commands.push_back(entry);
        return commands;
    }
};
} // namespace

TEST_F(SoundDevices, UsbDeviceArrivingAfterTheAttachIsToldOnceThenLeavingIsToldToo)
{
    AttachWithoutTheUsbSoundDevice();
    FakeAudioDevices(kWithUsbOutputs, kWithUsbInputs);
    Burst(DBT_DEVNODES_CHANGED, 6);
    EXPECT_SEQUENCE((Sequence{"arrival, one burst", kToUsb}), SkypeCommands());

    ClearLog();
    Burst(DBT_DEVNODES_CHANGED, 3); // nothing changed for Skype
    EXPECT_SEQUENCE((Sequence{"a burst with nothing new", {}}), SkypeCommands());

    FakeAudioDevices(kPcOutputs, kPcInputs);
    Burst(DBT_DEVICEREMOVECOMPLETE, 2);
    EXPECT_SEQUENCE((Sequence{"removal", kToPc}), SkypeCommands());
}

TEST_F(SoundDevices, OnlyTheDeviceThatChangedIsTold)
{
    AttachWithoutTheUsbSoundDevice();
    FakeAudioDevices(kPcOutputs, kWithUsbInputs);
    Burst(DBT_DEVICEARRIVAL, 1);
    EXPECT_SEQUENCE((Sequence{"only the microphone arrived", {kToUsb[1]}}), SkypeCommands());
}

TEST_F(SoundDevices, NothingIsToldWhileDetachedOrWithoutTheHandsetOrForOtherEvents)
{
    const struct {
        const char* name;
        bool attached;
        int handsetStatus;
        WPARAM event;
    } cases[] = {
        {"Skype not attached", false, 0, DBT_DEVNODES_CHANGED},
        {"handset absent", true, -1, DBT_DEVNODES_CHANGED},
        {"not a device change of interest", true, 0, DBT_CONFIGCHANGED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        if (c.attached)
            AttachWithoutTheUsbSoundDevice();
        g_app.handsetStatus = c.handsetStatus;
        ClearLog();
        FakeAudioDevices(kWithUsbOutputs, kWithUsbInputs);
        Burst(c.event, 2);
        EXPECT_SEQUENCE((Sequence{c.name, {}}), SkypeCommands());
    }
}
