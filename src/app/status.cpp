// The three-state status shown by the icon and the LCD.
#include "app/status.h"

#include "app/skype_audio_devices.h"
#include "app/tray_icon.h"
#include "core/app_state.h"
#include "handset/handset_display.h"
#include "res/resource.h"

namespace {
const char kTipNoHandset[] = "USB Device Driver (Please Connect USB Phone)";
const char kTipAttached[] = "USB Device Driver (Skype Feature-Enabled)";
const char kTipNoSkype[] = "USB Device Driver (Please Launch Skype)";
// Skype runs but has not let us in yet. A tooltip holds at most 63 characters.
const char kTipAsking[] = "USB Device Driver (Allow it in Skype)";
const char kTipRefused[] = "USB Device Driver (Refused: allow in Skype Options > Advanced)";
} // namespace

StatusPicture CurrentStatusPicture()
{
    if (g_app.handsetStatus != 0)
        return {IDI_STATUS_NOPHONE, kTipNoHandset};
    if (g_app.skypeApiWindow)
        return {IDI_STATUS_ENABLED, kTipAttached};
    switch (g_app.skypeAccess) {
    case kAccessAsking:
        return {IDI_STATUS_NOSKYPE, kTipAsking};
    case kAccessRefused:
        return {IDI_STATUS_NOSKYPE, kTipRefused};
    case kAccessUnknown:
        break;
    }
    return {IDI_STATUS_NOSKYPE, kTipNoSkype};
}

void RefreshStatus()
{
    StatusPicture picture = CurrentStatusPicture();
    if (g_app.handsetStatus != 0) {
        g_trayIcon.ModifyIcon(picture.iconId, picture.tooltip);
    } else if (g_app.skypeApiWindow) {
        SetSkypeIndicator(1);
        g_trayIcon.ModifyIcon(picture.iconId, picture.tooltip);
        SelectSkypeAudioDevices();
    } else {
        SetSkypeIndicator(0);
        g_trayIcon.ModifyIcon(picture.iconId, picture.tooltip);
    }
}

void ShowSkypeAccess()
{
    if (g_app.handsetStatus != 0 || g_app.skypeApiWindow)
        return; // "handset not connected" and "attached" say nothing of Skype's question
    StatusPicture picture = CurrentStatusPicture();
    g_trayIcon.ModifyIcon(picture.iconId, picture.tooltip);
}

void RestoreTrayIcon()
{
    // A new shell may come with another DPI: the icons are loaded again at the small-icon
    // size of now.
    g_trayIcon.ForgetIcons();
    StatusPicture picture = CurrentStatusPicture();
    (void)g_trayIcon.AddIcon(picture.iconId, picture.tooltip); // a refusal is retried
}

void KeepTrayIconShown()
{
    g_trayIcon.RetryMissingIcon();
}
