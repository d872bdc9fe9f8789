// The test rig's USB sound device (PulseAudio's "USB Audio Device" output and the handset's
// microphone), taken away and brought back as a handset's is when it is unplugged, and the
// mode its output runs in (scripts/env.sh).
#pragma once

// Runs the rig's script (a Unix program, started through Wine) with `action`: "unplug" or
// "plug" for the output alone, "unplug-device" or "plug-device" for output and microphone,
// "mode-running", "mode-idle", "mode-long-latency" or "mode-initial" (the run's own) for the
// output's mode. True once it has finished.
bool UsbSoundDevice(const char* action);
