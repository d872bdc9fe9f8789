// Skype's replies about its call audio devices.
#pragma once

enum AudioReplyKind {
    kAudioReplyNone,    // not one of them
    kAudioReplyOutput,  // "AUDIO_OUT <name>": the playback device Skype uses
    kAudioReplyInput,   // "AUDIO_IN <name>": the recording device Skype uses
    kAudioReplyRefused, // "ERROR 50": Skype cannot use the device it was told to
};

struct AudioReply {
    AudioReplyKind kind;
    const char* name; // output and input: the device's name (UTF-8), pointing into the text
};

// Reads `text` (NUL-terminated). The keywords are matched exactly, as Skype writes them.
AudioReply ReadAudioReply(const char* text);
