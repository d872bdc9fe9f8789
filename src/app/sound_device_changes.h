// Sound devices coming and going while the program runs (a USB handset is also a sound device).
#pragma once
#include <windows.h>

// Asks Windows for the arrival and removal of sound devices at `window`.
void RegisterForSoundDeviceChanges(HWND window);
// WM_DEVICECHANGE: a change of devices (re)starts the settle timer.
void OnDeviceChange(HWND window, WPARAM event);
// WM_TIMER: true when `timer` was the settle timer, which then ran out: the timer is stopped
// and the devices are chosen again (OnSoundDevicesChanged). False for any other timer.
bool OnSoundDeviceSettleTimer(HWND window, UINT_PTR timer);
// The window is going: no settle timer runs on.
void StopSoundDeviceSettleTimer(HWND window);
