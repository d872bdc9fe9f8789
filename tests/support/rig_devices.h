// The sound devices of the test rig (the private PulseAudio that scripts/env.sh starts), as
// Wine lists them: outputs "Speakers" and "USB Audio Device", inputs "Line In" and
// "Mikrofon (USB-Audiogerät)" (a German Windows' name: not ASCII, and Skype takes names in
// UTF-8). Their monitors are named without "USB", as on Windows, where they do not exist.
#pragma once

// What Skype must be told to use: the handset's earpiece and microphone.
const char kRigAudioOutCommand[] = "SET AUDIO_OUT USB Audio Device";
const char kRigAudioInName[] = "Mikrofon (USB-Audioger\xC3\xA4t)";
const char kRigAudioInCommand[] = "SET AUDIO_IN Mikrofon (USB-Audioger\xC3\xA4t)";
