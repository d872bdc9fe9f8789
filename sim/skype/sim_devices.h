// Skype's own list of sound devices, which "SET AUDIO_OUT" and "SET AUDIO_IN" must name.
#pragma once
#include <string>

// Reads the list once at start: from the file that SKYPESIM_SOUND_DEVICES names (UTF-8 lines
// "out <name>" and "in <name>", as the test rig writes them from its sound server's device
// descriptions), else from the system's wave devices, as Skype lists them.
void LoadSoundDevices();

// True when `name` is valid UTF-8 and names one of the outputs (or inputs).
bool IsSoundDevice(bool output, const std::string& name);

bool IsValidUtf8(const std::string& text);
