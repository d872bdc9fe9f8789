// The room a sound device's name takes in UTF-8: shared by the device lists and the record of
// what Skype was asked to use.
#pragma once
#include <windows.h>
#include <mmsystem.h>

// A device name in UTF-8: read wide (at most MAXPNAMELEN - 1 UTF-16 units), each unit takes
// at most 3 bytes (a surrogate pair takes 4 for its two), and the NUL.
enum { kDeviceNameBytes = 3 * (MAXPNAMELEN - 1) + 1 };
