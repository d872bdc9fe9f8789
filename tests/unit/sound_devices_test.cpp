// Skype told again which sound devices to use when devices come and go while it is attached:
// the USB sound device of a handset arrives after the handset's plug event, or leaves.
#include <gtest/gtest.h>
#include <windows.h>
#include <dbt.h>

#include "app/reactions.h"
#include "app/tray_icon.h"
#include "app_fixture.h"
#include "audio/tone_device.h"
#include "audio/tones.h"
#include "core/app_state.h"
#include "fake_audio_devices.h"
#include "fake_input.h"
#include "fake_wave_out.h"
#include "handset/handset_api.h"

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
    // What Skype is told but the keep-alive and the search for calls at an attach.
    std::vector<std::string> SkypeCommands()
    {
        std::vector<std::string> commands;
        for (const std::string& entry : Log())
            if (entry.compare(0, 6, "skype ") == 0 && entry != "skype PING" &&
                entry != "skype SEARCH ACTIVECALLS")
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

// Names reach Skype in UTF-8 whatever the ANSI code page, whole, also when every one of
// their 31 characters takes three bytes.
TEST_F(SoundDevices, NamesAreSentInUtf8AndWhole)
{
    std::string euros;
    for (int i = 0; i < 28; ++i)
        euros += "\xE2\x82\xAC"; // €
    const struct {
        const char* what;
        std::string output;
        std::string input;
    } rows[] = {
        {"Swedish", "H\xC3\xB6gtalare (USB Audio Device)", "Mikrofon (USB-Audioger\xC3\xA4t)"},
        {"31 three-byte characters", euros + "USB", "\xD0\x9C\xD0\xB8\xD0\xBA USB"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Fresh();
        FakeAudioDevices({"PulseAudio", row.output}, {"PulseAudio", row.input});
        OnSkypeAttachReply(WPARAM(fakeSkype), 0);
        EXPECT_SEQUENCE((Sequence{row.what, {"skype SET AUDIO_OUT " + row.output,
                                             "skype SET AUDIO_IN " + row.input}}),
                        SkypeCommands());
    }
}

// A name counts as told only once Skype echoes it. Refused (ERROR 50), it is asked for again
// on the next keep-alive ticks, three times in all; an echo ends the retries.
TEST_F(SoundDevices, RefusedNameIsRetriedOnLaterTicksABoundedNumberOfTimes)
{
    const std::string out = "skype SET AUDIO_OUT USB Audio Device";
    const std::string in = "skype SET AUDIO_IN USB Audio Device";
    FakeAudioDevices(kWithUsbOutputs, kWithUsbInputs);
    ReplyTo("SET AUDIO_OUT USB Audio Device", "ERROR 50 cannot set device");
    ReplyTo("SET AUDIO_IN USB Audio Device", "AUDIO_IN USB Audio Device");
    OnSkypeAttachReply(WPARAM(fakeSkype), 0);
    for (int tick = 0; tick < 4; ++tick)
        SendMessageA(ownWindow, WM_TIMER, 1001, 0);
    EXPECT_SEQUENCE((Sequence{"refused three times", {out, in, out, out}}), SkypeCommands());
    EXPECT_STREQ(g_app.skypeAudioIn.told, "USB Audio Device");
    EXPECT_STREQ(g_app.skypeAudioOut.told, "");

    // A new attach counts afresh.
    ClearLog();
    OnSkypeAttachReply(WPARAM(fakeSkype), 0);
    SendMessageA(ownWindow, WM_TIMER, 1001, 0);
    EXPECT_SEQUENCE((Sequence{"attached again", {out, in, out}}), SkypeCommands());

    // Refused once, then accepted: no more retries, and a device change with the same
    // choice sends nothing.
    Fresh();
    FakeAudioDevices(kWithUsbOutputs, kWithUsbInputs);
    ReplyTo("SET AUDIO_OUT USB Audio Device", "ERROR 50");
    OnSkypeAttachReply(WPARAM(fakeSkype), 0);
    ReplyTo("SET AUDIO_OUT USB Audio Device", "AUDIO_OUT USB Audio Device");
    for (int tick = 0; tick < 3; ++tick)
        SendMessageA(ownWindow, WM_TIMER, 1001, 0);
    Burst(DBT_DEVNODES_CHANGED, 1);
    EXPECT_SEQUENCE((Sequence{"accepted on the first retry", {out, in, out}}), SkypeCommands());
    EXPECT_STREQ(g_app.skypeAudioOut.told, "USB Audio Device");
}

TEST_F(SoundDevices, TheHeldToneDeviceIsClosedByADeviceChangeTheQuietTimeAndLogOff)
{
    FakeAudioDevices(kWithUsbOutputs, kWithUsbInputs);
    PlayTone(147);
    ASSERT_EQ(FakeWaveOutOpenDevices(), 1);
    Burst(DBT_DEVNODES_CHANGED, 1);
    EXPECT_EQ(FakeWaveOutOpenDevices(), 0) << "kept over a change of devices";

    // The keep-alive's tick closes it once the quiet time has passed since the last tone.
    PlayTone(147);
    FakeClockAdvance(kToneQuietMs - 1);
    OnKeepAliveTimer();
    EXPECT_EQ(FakeWaveOutOpenDevices(), 1) << "closed before the quiet time";
    FakeClockAdvance(1);
    OnKeepAliveTimer();
    EXPECT_EQ(FakeWaveOutOpenDevices(), 0) << "kept after the quiet time";

    // Log-off, even with no handset library loaded.
    PlayTone(147);
    g_handsetApi = HandsetApi();
    OnSessionEnding();
    EXPECT_EQ(FakeWaveOutOpenDevices(), 0) << "kept at log-off";
}
