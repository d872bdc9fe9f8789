// Tells Skype to use the handset's USB sound devices.
#include "app/skype_audio_devices.h"

#include <cstdio>
#include <cstring>

#include "audio/device_choice.h"
#include "core/app_state.h"
#include "pure/audio_reply.h"
#include "skype/skype_link.h"

namespace {
// One SET and two more on later ticks: a name Skype keeps refusing is not sent for ever.
const int kMaxAudioAttempts = 3;

enum Send { kAlways, kWhenChanged };

struct Direction {
    const char* keyword;
    AudioReplyKind reply; // Skype's reply naming the device it uses
    SkypeAudioDevice* device;
    void (*choose)(char* name);
};

const Direction kDirections[] = {
    {"AUDIO_OUT", kAudioReplyOutput, &g_app.skypeAudioOut, FindPlaybackDevice},
    {"AUDIO_IN", kAudioReplyInput, &g_app.skypeAudioIn, FindRecordingDevice},
};

void Ask(const Direction& direction, const char* name)
{
    SkypeAudioDevice& device = *direction.device;
    if (strcmp(name, device.asked) != 0) {
        lstrcpynA(device.asked, name, kDeviceNameBytes);
        device.attempts = 0;
    }
    device.refused = false;
    ++device.attempts;
    // A name of 31 UTF-16 units can take 93 bytes in UTF-8.
    char command[sizeof "SET AUDIO_OUT " + kDeviceNameBytes];
    snprintf(command, sizeof command, "SET %s %s", direction.keyword, name);
    SendSkypeCommand(command);
}

void TellSkypeDevices(Send send)
{
    // Both chosen before either is sent: the choice reads the names once.
    char names[2][kDeviceNameBytes];
    for (int i = 0; i < 2; ++i)
        kDirections[i].choose(names[i]);
    for (int i = 0; i < 2; ++i) {
        SkypeAudioDevice& device = *kDirections[i].device;
        if (send == kAlways) {
            device.told[0] = '\0'; // a new link: nothing is known to be in use
            device.attempts = 0;
        } else if (strcmp(names[i], device.asked) == 0) {
            continue; // asked already; a refusal is retried on the ticks
        }
        Ask(kDirections[i], names[i]);
    }
}

bool Unanswered(const SkypeAudioDevice& device)
{
    return device.attempts > 0 && !device.refused && strcmp(device.asked, device.told) != 0;
}
} // namespace

void SelectSkypeAudioDevices()
{
    TellSkypeDevices(kAlways);
}

void UpdateSkypeAudioDevices()
{
    TellSkypeDevices(kWhenChanged);
}

bool ReadAudioDeviceReply(const char* text)
{
    AudioReply reply = ReadAudioReply(text);
    switch (reply.kind) {
    case kAudioReplyNone:
        return false;
    case kAudioReplyOutput:
    case kAudioReplyInput:
        for (const Direction& direction : kDirections) {
            SkypeAudioDevice& device = *direction.device;
            if (direction.reply == reply.kind && strcmp(reply.name, device.asked) == 0) {
                lstrcpynA(device.told, reply.name, kDeviceNameBytes);
                device.refused = false;
            }
        }
        return true;
    case kAudioReplyRefused:
        // Replies carry no tag: the refusal is for the earliest SET still unanswered, and the
        // two are always sent output first.
        for (const Direction& direction : kDirections) {
            if (Unanswered(*direction.device)) {
                direction.device->refused = true;
                break;
            }
        }
        return true;
    }
    return false;
}

void RetryRefusedSkypeAudioDevices()
{
    for (const Direction& direction : kDirections) {
        const SkypeAudioDevice& device = *direction.device;
        if (!device.refused || device.attempts >= kMaxAudioAttempts)
            continue;
        char name[kDeviceNameBytes];
        direction.choose(name);
        Ask(direction, name);
    }
}
