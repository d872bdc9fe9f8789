// The device-name seam for tests: the real lists (the test rig's PulseAudio devices as Wine
// sees them) until a test sets its own, as when a USB sound device arrives or leaves while the
// program runs, which the platform under test cannot do to a running process.
#pragma once
#include <string>
#include <vector>

void FakeAudioDevices(const std::vector<std::string>& outputs,
                      const std::vector<std::string>& inputs);
void FakeAudioDevicesReal();
