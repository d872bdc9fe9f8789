// Tells Skype to use the handset's USB sound devices.
#pragma once
#include <string>
#include <vector>

// Playback: the first name containing "USB" (case respected), else the first non-empty name.
std::string ChoosePlaybackDevice(const std::vector<std::string>& names);
// Recording: the last name containing "USB", else the first non-empty name.
std::string ChooseRecordingDevice(const std::vector<std::string>& names);

// Names of the waveOut / waveIn devices in id order; devices whose capabilities cannot be
// read are left out.
std::vector<std::string> WaveOutDeviceNames();
std::vector<std::string> WaveInDeviceNames();

// Sends "SET AUDIO_OUT <name>" then "SET AUDIO_IN <name>", always both.
void SelectSkypeAudioDevices();
