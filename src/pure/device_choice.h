// Every choice of a sound device by name: where the key tones play, and which devices Skype is
// told to use for calls. Plain decisions over lists of device names in device-id order (UTF-8;
// null entries are devices whose capabilities could not be read, and are skipped).
#pragma once
#include <cstdint>

// Key tones: the first name that begins with "USB" (case-sensitive), else the first that
// contains "USB", else device 0.
uint32_t ChooseToneDevice(const char* const* names, uint32_t count);

// Skype's playback device: the first name containing "USB" (case respected), else the first
// non-empty name. The result points into `names`, or is "" when no device has a name.
const char* ChoosePlaybackDevice(const char* const* names, uint32_t count);
// Skype's recording device: the last name containing "USB", else the first non-empty name.
const char* ChooseRecordingDevice(const char* const* names, uint32_t count);
