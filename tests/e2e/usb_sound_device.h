// The test rig's USB sound device (PulseAudio's "USB Audio Device" output and the handset's
// microphone), taken away and brought back as a handset's is when it is unplugged.
#pragma once

// Runs the rig's script (a Unix program, started through Wine) with `action`: "unplug" or
// "plug" for the output alone, "unplug-device" or "plug-device" for output and microphone.
// True once it has finished.
bool UsbSoundDevice(const char* action);
