// Sound devices coming and going: Windows' device notifications, settled by a one-shot timer
// into a single new choice of devices.
#include "app/sound_device_changes.h"

#include <dbt.h>

#include "app/reactions.h"

namespace {
// Windows reports device changes in bursts; one choice of the sound devices after the last
// message of a burst is enough.
const UINT kDeviceChangeTimer = 1002; // beside the keep-alive timer (1001)
const UINT kDeviceChangeSettleMs = 300;
// The audio device interface class: arrival and removal of sound devices.
const GUID kAudioInterfaceClass = {0x6994AD04, 0x93EF, 0x11D0,
                                   {0xA3, 0xCC, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
} // namespace

void RegisterForSoundDeviceChanges(HWND window)
{
    DEV_BROADCAST_DEVICEINTERFACE_A filter = {};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kAudioInterfaceClass;
    // Without it only DBT_DEVNODES_CHANGED arrives, which is enough; the handle lives as long
    // as the window.
    (void)RegisterDeviceNotificationA(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void OnDeviceChange(HWND window, WPARAM event)
{
    if (event == DBT_DEVNODES_CHANGED || event == DBT_DEVICEARRIVAL ||
        event == DBT_DEVICEREMOVECOMPLETE)
        SetTimer(window, kDeviceChangeTimer, kDeviceChangeSettleMs, nullptr); // restarts it
}

bool OnSoundDeviceSettleTimer(HWND window, UINT_PTR timer)
{
    if (timer != kDeviceChangeTimer)
        return false;
    KillTimer(window, kDeviceChangeTimer); // one-shot
    OnSoundDevicesChanged();
    return true;
}

void StopSoundDeviceSettleTimer(HWND window)
{
    KillTimer(window, kDeviceChangeTimer);
}
